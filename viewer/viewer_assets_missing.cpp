// Stands in for the generated page when the build had no node_modules.
#include "viewer_assets.h"

const bool kViewerAvailable = false;
const char kViewerPageTemplate[] = "";
const char kViewerScript[] = "";
