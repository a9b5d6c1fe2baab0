#pragma once
// The status texts of a stream that cannot play. The engines' own details come
// in English (GStreamer, libmpv, libVLC); the user reads a short French text
// for the common causes, and the detail itself only when none fits.
#include <QString>

// French status text for an engine's error detail. Several details of one
// failure may be joined with "\n": the first that names a cause decides.
QString PlayerErrorText(const QString& detail);

// While a stream without a picture plays on a machine without a sound output.
QString PlayerNoSoundText();
