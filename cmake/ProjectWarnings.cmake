# velmor_warnings (target): the project's own code compiles without a warning.
function (velmor_warnings target)
    target_compile_options (${target} PRIVATE -Wall -Wextra -Wshadow -Wnon-virtual-dtor -Werror)
endfunction()
