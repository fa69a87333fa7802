# The pictures the scene reads, as the painter names them: what it paints, and what every build
# installs or carries along with the program.
set(SCENE_PICTURES 001.gif basil.gif om.gif egg.gif kapka.gif kapka2.gif)
