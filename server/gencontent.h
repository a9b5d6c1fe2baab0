#pragma once
// Makes the demo portal's media from its catalogue: short videos that show
// their name, sounds, pictures and Flash movies. ffmpeg does the encoding,
// espeak-ng the voices (optional).
#include <QString>

namespace zvs {

struct GenerateOptions {
    QString contentDir; // holds catalogue.json
    QString outDir; // media tree, served under /media/
    int jobs = 2;
    bool force = false; // regenerate even when the stamp says it is done
    bool quiet = false;
};

// Returns 0 on success; prints what failed otherwise.
int generateContent(const GenerateOptions& options);

} // namespace zvs
