// The C++ runtime's default terminate handler prints the name of the exception that
// escaped, and linking it pulls a whole C++ name demangler (about 48 KB) into the
// executable. A windowed program has no console to print to, and no exception of ours
// can escape (handlers are guarded), so this handler only aborts, as that one does last.
// It lives in the executable's own sources: defined here, the runtime's is not linked.
#include <cstdlib>

#if defined(__GLIBCXX__)
namespace __gnu_cxx {
void __verbose_terminate_handler()
{
    std::abort();
}
} // namespace __gnu_cxx
#endif
