# Pure helpers of the HTTP client (Qt Core only): URL split, request header, response head,
# header list, base64, URL decoding, the socket error table.
target_sources(nimbrix_core PRIVATE
  net/sock_errors.h net/sock_errors.cpp
  net/ex_string_list.h net/ex_string_list.cpp
  net/uu_processor.h net/uu_processor.cpp
  net/nm_url.h net/nm_url.cpp
  net/http_rules.h net/http_rules.cpp
)
# The socket layer and the HTTP client.
target_sources(nimbrix_net PRIVATE
  net/platform_socket.h net/platform_socket.cpp
  net/thread_timer.h net/thread_timer.cpp
  net/host_lookup.h net/host_lookup.cpp
  net/powersock.h net/powersock.cpp
  net/nmhttp.h net/nmhttp.cpp
  net/request_kinds.h net/request_kinds.cpp
)
if(WIN32)
  target_link_libraries(nimbrix_net PUBLIC ws2_32)
endif()
