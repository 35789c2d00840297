# The sanitizer build (build/asan): the unit tests with AddressSanitizer and UndefinedBehaviorSanitizer, and
# the libFuzzer targets of the readers of outside data. clang only: libFuzzer comes with clang.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "TAVIMORO_SANITIZE needs clang++ (libFuzzer); use the asan preset")
endif()

# Included before the first target, so that the program's own libraries are instrumented too.
# fuzzer-no-link adds the coverage the fuzzers steer by; the other programs link without libFuzzer.
add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer
    -fsanitize=fuzzer-no-link)
add_link_options(-fsanitize=address,undefined)

# The sanitizers' run-time options, with the suppression file, built into a program, so that it needs no
# environment (a plain `ctest` in build/asan, a fuzz target started by hand).
function(tavimoro_sanitizer_options target)
    target_sources(${target} PRIVATE ${CMAKE_SOURCE_DIR}/tests/sanitize/SanitizerOptions.cpp)
    target_compile_definitions(${target} PRIVATE
        TAVIMORO_LSAN_SUPPRESSIONS="${CMAKE_SOURCE_DIR}/tests/sanitize/lsan.supp")
endfunction()

# Called after the platform's targets exist.
function(tavimoro_sanitize_targets)
    if(TARGET tavimoro_unit_tests)
        tavimoro_sanitizer_options(tavimoro_unit_tests)
    endif()
    add_subdirectory(${CMAKE_SOURCE_DIR}/tests/fuzz ${CMAKE_BINARY_DIR}/fuzz)
endfunction()
