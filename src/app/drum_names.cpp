#include "app/drum_names.h"

namespace knockbox {

QString drumName(Drum drum) {
    switch (drum) {
    case Drum::kick: return QStringLiteral("Kick");
    case Drum::snare: return QStringLiteral("Snare");
    case Drum::hihat: return QStringLiteral("Hi-hat");
    case Drum::tom: return QStringLiteral("Tom");
    }
    return {};
}

QString tapPlace(Drum drum, bool sidesSwapped) {
    const bool left = (drum == Drum::kick || drum == Drum::tom) != sidesSwapped;
    const bool light = drum == Drum::kick || drum == Drum::hihat;
    return (left ? QStringLiteral("left") : QStringLiteral("right")) + QStringLiteral(" · ") +
           (light ? QStringLiteral("light") : QStringLiteral("firm"));
}

}  // namespace knockbox
