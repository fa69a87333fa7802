#include "basil.h"

#include "basil_figure.h"
#include "strip.h"

Canvas paintBasil() {
    return paintStrip(kBasilStrip,
                      [](cairo_t* cr, const FrameCue& cue) { drawBasil(cr, basilPose(cue)); });
}
