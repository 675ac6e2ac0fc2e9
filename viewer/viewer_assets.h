// The viewer page built into qev: the HTML template with its @QEV_...@ places
// and the bundled script (three.js included) that goes into it.
#ifndef QEV_VIEWER_ASSETS_H
#define QEV_VIEWER_ASSETS_H

// False when qev was built without node_modules: there is no page to write.
extern const bool kViewerAvailable;
extern const char kViewerPageTemplate[];
extern const char kViewerScript[];

#endif
