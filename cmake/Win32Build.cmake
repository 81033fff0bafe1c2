# Windows build, included from the root CMakeLists.txt after zavro_core.
#
# Everything is linked statically so that Zavro.exe and the test programs need no MinGW
# DLL beside them, on Windows as under Wine.
add_link_options(-static -static-libgcc -static-libstdc++)
add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601 NOMINMAX WIN32_LEAN_AND_MEAN)

# Adapters that are plain C++ and shared with the Linux build: the steady clock with the
# time scale, environment overrides, the loopback guard, the stb picture decoder, the
# file-backed registry store and the profile reader (the last two serve the tests).
set(ZAVRO_SHARED_ADAPTERS
  src/platform/posix/PosixClock.cpp src/platform/posix/TimeScale.cpp
  src/platform/posix/Environment.cpp src/platform/posix/NetGuard.cpp
  src/platform/posix/StbPictures.cpp src/platform/posix/FileRegistry.cpp
  src/platform/posix/ProfileReader.cpp src/platform/posix/RunLogs.cpp)
add_library(zavro_shared_adapters STATIC ${ZAVRO_SHARED_ADAPTERS})
target_include_directories(zavro_shared_adapters PUBLIC src PRIVATE ${CMAKE_SOURCE_DIR}/third_party/stb /usr/include/stb)
target_link_libraries(zavro_shared_adapters PUBLIC zavro_core ws2_32)

file(GLOB ZAVRO_WIN32_SOURCES CONFIGURE_DEPENDS src/platform/win32/*.cpp)
list(FILTER ZAVRO_WIN32_SOURCES EXCLUDE REGEX ".*/(main|AutoRun)\\.cpp$")
add_library(zavro_win32 STATIC ${ZAVRO_WIN32_SOURCES})
target_include_directories(zavro_win32 PRIVATE /usr/include/stb)
target_link_libraries(zavro_win32 PUBLIC zavro_shared_adapters zavro_core
  wininet ws2_32 iphlpapi advapi32 shell32 comctl32 comdlg32 gdi32 user32 ole32 oleaut32 oleacc)

set(ZAVRO_MEDIUM_DIR ${CMAKE_BINARY_DIR}/medium)
set(ZAVRO_PROGRAM_DIR ${ZAVRO_MEDIUM_DIR}/Wizard)

# Both programs carry the same icon, which the medium's autorun.inf names.
enable_language(RC)
set(ZAVRO_ICON_RC ${CMAKE_SOURCE_DIR}/src/platform/win32/Zavro.rc)
set_source_files_properties(${ZAVRO_ICON_RC} PROPERTIES
  OBJECT_DEPENDS ${CMAKE_SOURCE_DIR}/src/platform/win32/zavro.ico)

if(EXISTS ${CMAKE_SOURCE_DIR}/src/platform/win32/main.cpp)
  add_executable(Zavro WIN32 src/platform/win32/main.cpp ${ZAVRO_ICON_RC})
  target_link_libraries(Zavro PRIVATE zavro_win32)
  set_target_properties(Zavro PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${ZAVRO_PROGRAM_DIR})
endif()
if(EXISTS ${CMAKE_SOURCE_DIR}/src/platform/win32/AutoRun.cpp)
  add_executable(AutoRun WIN32 src/platform/win32/AutoRun.cpp ${ZAVRO_ICON_RC})
  target_link_libraries(AutoRun PRIVATE shell32 user32 gdi32)
  set_target_properties(AutoRun PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${ZAVRO_MEDIUM_DIR})
endif()

# The medium's pictures, texts and documents come from the Linux build's demo medium.
set(ZAVRO_LINUX_MEDIUM "" CACHE PATH "Demo medium of the Linux build (its build/medium)")
if(ZAVRO_LINUX_MEDIUM)
  set(ZAVRO_MEDIUM_STAMP ${CMAKE_BINARY_DIR}/medium.stamp)
  add_custom_command(
    OUTPUT ${ZAVRO_MEDIUM_STAMP}
    COMMAND ${CMAKE_COMMAND} -DFROM=${ZAVRO_LINUX_MEDIUM} -DTO=${ZAVRO_MEDIUM_DIR}
            -P ${CMAKE_SOURCE_DIR}/cmake/AssembleWinMedium.cmake
    COMMAND ${CMAKE_COMMAND} -E touch ${ZAVRO_MEDIUM_STAMP}
    DEPENDS ${CMAKE_SOURCE_DIR}/cmake/AssembleWinMedium.cmake ${ZAVRO_LINUX_MEDIUM}/Wizard/image/01.jpg
    COMMENT "Assembling the Windows setup medium in ${ZAVRO_MEDIUM_DIR}"
    VERBATIM)
  add_custom_target(medium ALL DEPENDS ${ZAVRO_MEDIUM_STAMP})
endif()

if(ZAVRO_BUILD_TESTS)
  enable_testing()
  add_subdirectory(tests/win32)
endif()
