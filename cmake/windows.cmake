# The Windows build: the scene linked into basilrain.scr against sdl12-compat's SDL.dll (which
# runs on SDL2.dll) and a static giflib, all cross-built by scripts/build-windows.sh, with the
# pictures painted for the Linux build.
set(BASILRAIN_WINDOWS_DEPS "" CACHE PATH "Where SDL, SDL2 and giflib for Windows are installed")
set(BASILRAIN_PICTURES_DIR "" CACHE PATH "Where the painter left the six pictures")
if(NOT EXISTS "${BASILRAIN_WINDOWS_DEPS}/bin/SDL.dll" OR
   NOT EXISTS "${BASILRAIN_PICTURES_DIR}/001.gif")
  message(FATAL_ERROR "Build for Windows with scripts/build-windows.sh: it makes the libraries "
    "BASILRAIN_WINDOWS_DEPS and the pictures BASILRAIN_PICTURES_DIR name")
endif()

# The names the Linux build gets from pkg-config, so that the shared folders build unchanged.
# SDLmain holds WinMain, which calls the program's SDL_main.
add_library(PkgConfig::SDL INTERFACE IMPORTED)
target_include_directories(PkgConfig::SDL INTERFACE ${BASILRAIN_WINDOWS_DEPS}/include/SDL)
target_link_libraries(PkgConfig::SDL INTERFACE mingw32 ${BASILRAIN_WINDOWS_DEPS}/lib/libSDLmain.a
  ${BASILRAIN_WINDOWS_DEPS}/lib/libSDL.dll.a)
add_library(PkgConfig::GIF INTERFACE IMPORTED)
target_include_directories(PkgConfig::GIF INTERFACE ${BASILRAIN_WINDOWS_DEPS}/include)
target_link_libraries(PkgConfig::GIF INTERFACE ${BASILRAIN_WINDOWS_DEPS}/lib/libgif.a)

# The executable's resources: its name in Windows' settings and its version.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE license)
string(REGEX MATCH "Copyright \\(c\\) ([^\n]+)" found "${license}")
set(COPYRIGHT ${CMAKE_MATCH_1})
configure_file(dist/windows/basilrain.rc.in basilrain.rc @ONLY)

set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
add_subdirectory(picturegate)
add_subdirectory(gifloader)
add_subdirectory(spriteengine)
add_subdirectory(engine)
add_subdirectory(dist/windows)

# For the Wine tests only, not packaged: the message Windows sends when monitors change.
add_executable(display_change tests/windows/display_change.cpp)
target_link_options(display_change PRIVATE -static -s)
