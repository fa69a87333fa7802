# The web page: the scene built with Emscripten against Emscripten's own SDL 1.2, with the
# pictures painted for the Linux build inside it, by scripts/build-web.sh.
set(BASILRAIN_PICTURES_DIR "" CACHE PATH "Where the painter left the six pictures")
if(NOT EXISTS "${BASILRAIN_PICTURES_DIR}/001.gif")
  message(FATAL_ERROR "Build the page with scripts/build-web.sh: it paints the pictures "
    "BASILRAIN_PICTURES_DIR names")
endif()

# The name the Linux build gets from pkg-config: Emscripten brings SDL's headers itself, and
# stb_image decodes what IMG_Load_RW is handed in memory.
add_library(PkgConfig::SDL INTERFACE IMPORTED)
target_link_options(PkgConfig::SDL INTERFACE -sSTB_IMAGE=1)

set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
add_subdirectory(picturegate)
add_subdirectory(spriteengine)
add_subdirectory(engine)
