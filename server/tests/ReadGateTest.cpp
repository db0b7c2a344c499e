// The bound on reads at once: never passed, every read gets its turn, and turns go
// in the order the reads came.
#include "server/ReadGate.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace kel::server::test {
namespace {

TEST(ReadGate, NeverLetsMoreInThanItsBoundAndLetsEveryoneIn) {
    ReadGate gate(3);
    std::atomic<int> inside{0}, most{0}, done{0};
    std::vector<std::thread> readers;
    for (int t = 0; t < 16; ++t)
        readers.emplace_back([&] {
            for (int i = 0; i < 200; ++i) {
                ReadGate::Turn turn(gate);
                const int now = ++inside;
                int seen = most.load();
                while (now > seen && !most.compare_exchange_weak(seen, now)) {
                }
                std::this_thread::yield();
                --inside;
                ++done;
            }
        });
    for (auto& r : readers) r.join();
    EXPECT_EQ(done.load(), 16 * 200);
    EXPECT_LE(most.load(), 3);
    EXPECT_GE(most.load(), 1);
    EXPECT_EQ(gate.Waiting(), 0u);
}

TEST(ReadGate, GivesTurnsInTheOrderTheReadsCame) {
    ReadGate gate(1);
    std::optional<ReadGate::Turn> held(std::in_place, gate);
    std::mutex m;
    std::string order;
    auto reader = [&](char name) {
        ReadGate::Turn turn(gate);
        std::lock_guard lock(m);
        order += name;
    };
    const auto waitFor = [&](std::size_t n) {
        while (gate.Waiting() < n) std::this_thread::yield();
    };
    std::thread a(reader, 'a');
    waitFor(1);
    std::thread b(reader, 'b');
    waitFor(2);
    std::thread c(reader, 'c');
    waitFor(3);
    held.reset();
    a.join();
    b.join();
    c.join();
    EXPECT_EQ(order, "abc");
}

TEST(ReadGate, ABoundOfNoneStillLetsOneIn) {
    ReadGate gate(0);
    { ReadGate::Turn turn(gate); }
    ReadGate::Turn again(gate);
    EXPECT_EQ(gate.Waiting(), 0u);
}

}  // namespace
}  // namespace kel::server::test
