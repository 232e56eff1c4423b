#pragma once
// Values fixed when the program is built. The build passes them as compile definitions;
// these are the fallbacks.

#ifndef VELMO_VERSION_MAJOR
#define VELMO_VERSION_MAJOR -1   // no version data: the About box shows "1.0"
#endif
#ifndef VELMO_VERSION_MINOR
#define VELMO_VERSION_MINOR 0
#endif
#ifndef VELMO_VERSION_BUILD
#define VELMO_VERSION_BUILD 0
#endif

#ifndef VELMO_URL_CONTENTS
#define VELMO_URL_CONTENTS "https://velmo.example/help/"
#endif
#ifndef VELMO_URL_HOME
#define VELMO_URL_HOME "https://velmo.example/"
#endif
#ifndef VELMO_URL_FEEDBACK
#define VELMO_URL_FEEDBACK "https://velmo.example/feedback/"
#endif
#ifndef VELMO_URL_DONATE
#define VELMO_URL_DONATE "https://velmo.example/donate/"
#endif
