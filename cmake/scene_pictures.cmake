# The pictures the scene reads, as the painter names them: the builds that carry them along with
# the program, rather than beside it in the build folder, take them from here.
set(SCENE_PICTURES 001.gif basil.gif om.gif egg.gif kapka.gif kapka2.gif)
list(TRANSFORM SCENE_PICTURES PREPEND ${BASILRAIN_PICTURES_DIR}/ OUTPUT_VARIABLE SCENE_PICTURE_FILES)
