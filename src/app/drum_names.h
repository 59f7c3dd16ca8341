#pragma once
// What the app calls each drum, and where on the case each is played.

#include <QString>

#include "core/drum.h"

namespace knockbox {

// "Kick", "Snare", "Hi-hat", "Tom".
QString drumName(Drum drum);

// The palm rest and the strength that play the drum: "left · light" for the
// kick, "left · firm" for the tom, "right · light" for the hi-hat and
// "right · firm" for the snare; with the sides swapped, left and right trade.
QString tapPlace(Drum drum, bool sidesSwapped);

}  // namespace knockbox
