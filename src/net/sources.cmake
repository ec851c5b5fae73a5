target_sources(nimbrix_net PRIVATE
  net/sock_errors.h net/sock_errors.cpp
)
