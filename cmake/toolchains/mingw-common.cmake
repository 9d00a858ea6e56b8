# Shared part of the MinGW-w64 toolchains: set QUILLO_MINGW_TRIPLE first.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER   ${QUILLO_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUILLO_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${QUILLO_MINGW_TRIPLE}-windres)
set(CMAKE_DLLTOOL      ${QUILLO_MINGW_TRIPLE}-dlltool)
set(CMAKE_FIND_ROOT_PATH /usr/${QUILLO_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test executables run through Wine on the machine profile named by the
# test's QUILLO_PROFILE environment value.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../../tests/wine/harness;exec)
