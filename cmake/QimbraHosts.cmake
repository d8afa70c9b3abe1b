# The site's two hosts are fixed when the program is built. A value is a host
# name, optionally with a port; anything that looks like a URL is refused here
# rather than producing broken addresses at run time.
set(QIMBRA_PAGE_HOST "www.veloni.example" CACHE STRING "Host (or host:port) of the gallery's page server")
set(QIMBRA_IMAGE_HOST "img.veloni.example" CACHE STRING "Host (or host:port) of the gallery's image server")

foreach(var QIMBRA_PAGE_HOST QIMBRA_IMAGE_HOST)
  set(value "${${var}}")
  if(value STREQUAL "")
    message(FATAL_ERROR "${var} is empty")
  endif()
  if(value MATCHES "://" OR value MATCHES "[/\\\\]" OR value MATCHES "[ \t\r\n]")
    message(FATAL_ERROR "${var}='${value}': give a host or host:port, without scheme, slash or blanks")
  endif()
  if(NOT value MATCHES "^[A-Za-z0-9.-]+(:[0-9]+)?$" AND NOT value MATCHES "^\\[[0-9A-Fa-f:.]+\\](:[0-9]+)?$")
    message(FATAL_ERROR "${var}='${value}' is not a host or host:port")
  endif()
endforeach()
