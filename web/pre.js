// Starts the page once the translator is ready (the page's code follows
// the translator in this file).
Module['onRuntimeInitialized'] = function () { morvanePageReady(); };
