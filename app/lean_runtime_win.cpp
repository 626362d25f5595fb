// The C++ library's default terminate handler prints the demangled type of an
// escaping exception, and the demangler alone is 46 KB of setup.exe. Nothing of
// ours throws; if the library ever does (out of memory in a container), ending the
// process is all that is left to do, and the user gets no console to read anyway.
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
