# Puts the built scene's script into the page, making one file that plays from anywhere, a
# file:// address included, with nothing to fetch.
cmake_minimum_required(VERSION 3.18)
file(READ ${PAGE} page)
file(READ ${SCENE} scene)
string(FIND "${scene}" "</script" closing)
if(NOT closing EQUAL -1)
  message(FATAL_ERROR "${SCENE} holds \"</script\", which would end it early inside the page")
endif()
string(REPLACE "/* the scene */" "${scene}" page "${page}")
file(WRITE ${OUTPUT} "${page}")
