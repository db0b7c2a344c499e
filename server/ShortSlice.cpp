#include "server/ShortSlice.h"

#include <sched.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstring>

namespace kel::server {
namespace {

#ifdef SYS_sched_setattr
// The kernel's struct sched_attr (its first version), which the C library does not declare.
struct SchedAttr {
    uint32_t size;
    uint32_t policy;
    uint64_t flags;
    int32_t nice;
    uint32_t priority;
    uint64_t runtime;  // for the normal policy: the length of a turn (0: the system's)
    uint64_t deadline;
    uint64_t period;
};

bool Get(SchedAttr& a) {
    std::memset(&a, 0, sizeof a);
    return ::syscall(SYS_sched_getattr, 0, &a, sizeof a, 0) == 0;
}

bool Set(SchedAttr& a) {
    a.size = sizeof a;
    return ::syscall(SYS_sched_setattr, 0, &a, 0) == 0;
}
#endif

}  // namespace

ShortSlice::ShortSlice(uint64_t nanoseconds) {
#ifdef SYS_sched_setattr
    SchedAttr a;
    // Only threads of the normal policy: a real-time thread stays as it was set.
    if (!Get(a) || a.policy != SCHED_OTHER || a.runtime == nanoseconds) return;
    before_ = a.runtime;
    a.runtime = nanoseconds;
    changed_ = Set(a);
#else
    (void)nanoseconds;
#endif
}

ShortSlice::~ShortSlice() {
#ifdef SYS_sched_setattr
    if (!changed_) return;
    SchedAttr a;
    if (!Get(a)) return;
    a.runtime = before_;
    Set(a);
#endif
}

}  // namespace kel::server
