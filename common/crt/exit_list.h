// Static objects in a program or library built without the C library: the
// constructors the compiler lists in the image, and the functions registered
// with atexit (the compiler registers each static object's destructor there).
#pragma once

// Runs the image's static constructors, in the order the compiler expects.
void RunStaticConstructors();

// Runs the atexit functions, last registered first, then the image's
// static destructors. Each runs once, however often this is called.
void RunExitFunctions();
