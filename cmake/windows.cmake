# The Windows build: plain Win32 + COM, one statically linked executable.
enable_language(RC)
add_link_options(-static -static-libgcc -static-libstdc++ -municode)
# GCC 12 reports a false -Wrestrict in libstdc++'s `"text" + std::string&&` at -O2 (GCC bug 105651).
add_compile_options(-Wno-restrict)
target_compile_options(tavimoro_core PRIVATE -Wno-restrict)
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
# A resident program's code is memory it holds all day, and none of it is a hot loop: a release build is
# optimized for size (after the -O3 of CMake's release flags, so it wins), and each function and datum
# gets a section of its own, which the link drops when nothing uses it.
add_compile_options($<$<CONFIG:Release>:-Os> -ffunction-sections -fdata-sections)

file(GLOB WIN32_SOURCES CONFIGURE_DEPENDS src/win32/*.cpp)
list(FILTER WIN32_SOURCES EXCLUDE REGEX ".*/(WinMain|Paths)\\.cpp$")
# The path conventions are free functions the portable library calls: they go into that library, so
# that the static link finds them whatever the order of the libraries.
target_sources(tavimoro_core PRIVATE src/win32/Paths.cpp)
add_library(tavimoro_win32 STATIC ${WIN32_SOURCES})
# COM (ole32 and oleaut32, with combase and rpcrt4 beneath them: over 1 MB of a resident process) serves
# only shortcuts, the scripting object and screen readers, which most runs never use. Both are imported
# delayed, loaded at the first call of one of their functions, through import libraries made from the
# list of the functions the programs call.
set(DELAYED_IMPORTS "")
foreach(dll ole32 oleaut32)
    set(definitions ${CMAKE_SOURCE_DIR}/cmake/delayed/${dll}.def)
    set(archive ${CMAKE_BINARY_DIR}/delayed/lib${dll}.a)
    add_custom_command(OUTPUT ${archive}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/delayed
        COMMAND ${CMAKE_DLLTOOL} --input-def ${definitions} --dllname ${dll}.dll --output-delaylib ${archive}
        DEPENDS ${definitions} VERBATIM)
    list(APPEND DELAYED_IMPORTS ${archive})
endforeach()
# CMake links every program with both by default; without them, a function missing from the lists fails
# the link instead of being imported at the start.
string(REGEX REPLACE "-lole(aut)?32" "" CMAKE_CXX_STANDARD_LIBRARIES "${CMAKE_CXX_STANDARD_LIBRARIES}")
add_custom_target(delayed_imports DEPENDS ${DELAYED_IMPORTS})
add_dependencies(tavimoro_win32 delayed_imports)
# The accessibility layer (oleacc) is loaded when a screen reader asks (AccessibleName.cpp).
target_link_libraries(tavimoro_win32 PUBLIC tavimoro_core ${DELAYED_IMPORTS} uuid shell32 shlwapi comctl32 user32
    gdi32 version)
# The resource ids the program shares with its resource script.
target_include_directories(tavimoro_win32 PRIVATE res)

add_executable(tavimoro WIN32 src/win32/WinMain.cpp res/tavimoro.rc)
# The resource script takes these files whole; the build reads only its includes for what it depends on.
set_source_files_properties(res/tavimoro.rc PROPERTIES OBJECT_DEPENDS
    "${CMAKE_SOURCE_DIR}/res/tavimoro.manifest;${CMAKE_SOURCE_DIR}/res/tavimoro.ico")
target_link_libraries(tavimoro PRIVATE tavimoro_win32 imm32)

# How the programs that are shipped (and their floor in bench/) are linked: sections aligned to pages in
# the file as in memory, so that Wine maps the image from the file instead of copying every section into
# memory of the process's own; and, in a release build, without the static libraries' debug sections
# (half of the file). A Debug or RelWithDebInfo tree keeps its symbols for a debugger.
function(tavimoro_shipped_link target)
    target_link_options(${target} PRIVATE -Wl,--file-alignment=0x1000,--section-alignment=0x1000
        -Wl,--gc-sections $<$<CONFIG:Release,MinSizeRel>:-s>)
endfunction()
tavimoro_shipped_link(tavimoro)

if(EXISTS ${CMAKE_SOURCE_DIR}/tools/tavimoro-ini.cpp)
    add_executable(tavimoro-ini tools/tavimoro-ini.cpp)
    target_link_libraries(tavimoro-ini PRIVATE tavimoro_win32)
    tavimoro_shipped_link(tavimoro-ini)
endif()

# Helper programs the Wine tests drive; they are built here and run from the Linux test tree.
if(EXISTS ${CMAKE_SOURCE_DIR}/tests/win32/CMakeLists.txt)
    add_subdirectory(tests/win32)
endif()

# The floor of the start and the idle poll under Wine: a bare window with a notification-area icon and
# the program's manifest, reading the same labels once a second.
add_executable(bare_labels WIN32 EXCLUDE_FROM_ALL bench/win32/bare_labels.cpp bench/win32/bare_labels.rc)
set_source_files_properties(bench/win32/bare_labels.rc PROPERTIES OBJECT_DEPENDS
    "${CMAKE_SOURCE_DIR}/res/tavimoro.manifest")
tavimoro_shipped_link(bare_labels)
