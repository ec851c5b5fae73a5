# Project-wide compiler settings, applied per target with nimbrix_defaults(<target>).
if(NIMBRIX_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

function(nimbrix_defaults target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wnon-virtual-dtor -Wcast-qual
                                           -Wformat=2
                                           $<$<CXX_COMPILER_ID:GNU>:-Wshadow=local>
                                           $<$<CXX_COMPILER_ID:Clang>:-Wshadow-uncaptured-local>)
  target_compile_definitions(${target} PRIVATE QT_NO_KEYWORDS
                                               QT_USE_QSTRINGBUILDER)
  if(NIMBRIX_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
