#pragma once

// Marks a text for the translators where it stands; the text itself stays the source (Russian)
// and is looked up in the chosen language where a window or a terminal shows it. Spelled as Qt
// spells it, so that lupdate finds the marks, while this library stays free of Qt.
#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(scope, x) x
#endif
