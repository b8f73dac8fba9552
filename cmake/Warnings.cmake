# Our own code builds clean with -Wall -Wextra; ms_warnings() is applied per target so that
# third-party headers (Qt, OpenCV) are not judged by it.
function(ms_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
endfunction()
