#pragma once
// The program's nothrow allocations (new (std::nothrow)), made to fail on demand. The
// test program replaces the nothrow operator new for the whole process; with nothing
// armed it allocates as usual.

// The nth nothrow allocation from now answers null; 0 disarms.
void FailNthNothrowNew(unsigned nth);

// How many nothrow allocations were refused since the last FailNthNothrowNew.
unsigned RefusedNothrowNews();
