// The backdrop and the four characters, loaded into the sprite engine.
#pragma once

// Where each member stands in `se` once the set-up has sorted them by layer.
enum CastIndex { basil0 = 0, basil1 = 1, om = 2, egg = 3, backdrop = 4 };

// Where basil 1 stands on the ledge: his walk left starts here and his walk back ends here.
constexpr int walkerHomeX = 560;
constexpr int walkerHomeY = 195;

// Configures the template sprite once per member and copies it into `se`: a setting not
// made again carries over from the member before.
void setUpCast();
