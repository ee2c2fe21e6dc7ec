#pragma once
// A name server the tests control.  getaddrinfo is defined in the test
// program itself, ahead of the C library's, so every caller in the process
// (libmosquitto included) goes through it: names ending in ".test" resolve
// to 127.0.0.1 after the delay set here ("missing.<...>.test" to nothing),
// all others as usual.

namespace korvane::test {

void setResolverDelayMs(int ms);
// Lookups of ".test" names so far, and whether any ran on the thread that
// runs the event loop (the thread that started the program).
int testNameLookups();
bool testNameLookedUpOnMainThread();

} // namespace korvane::test
