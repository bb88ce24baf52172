// Pieces of the report boundary that need a body.
#include "base/base.h"

#ifdef _WIN32
namespace zu_detail {
char *out_of_memory_report() {
    static char text[] = "メモリが足りません";
    return text;
}
}  // namespace zu_detail
#endif
