#include "cwproject/ordered_placement.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace tessaly {
namespace {

// Look-ups wait at a gate that the test opens, so that references really
// are held back behind them; names starting with "missing" are found
// nowhere, and "throw.h" makes the search fail.
class OrderedPlacementTest : public ::testing::Test {
  protected:
    OrderedPlacementTest() : gateOpen(gate.get_future().share()) {}

    OrderedPlacement::Place recorder() {
        return [this](const std::string& target, const std::vector<std::string>& groups,
                      const std::string& path) {
            std::string entry = target;
            for (const std::string& group : groups) {
                entry += "/" + group;
            }
            placed.push_back(entry + ": " + path);
        };
    }
    std::unique_ptr<OrderedPlacement> make() {
        return std::make_unique<OrderedPlacement>(
            worker,
            [this](const GroupNode& target, const std::string& name) -> std::string {
                gateOpen.wait();
                if (name == "throw.h") {
                    throw std::runtime_error("search failed");
                }
                return name.starts_with("missing") ? "" : target.name + "\\" + name;
            },
            [](const std::string& path) { return !path.ends_with(".txt"); }, recorder());
    }

    SerialWorker worker;
    std::promise<void> gate;
    std::shared_future<void> gateOpen;
    GroupNode target{"inc"};
    std::vector<std::string> placed;
};

TEST_F(OrderedPlacementTest, ReferencesAfterALookupWaitForItAndAllLandInDocumentOrder) {
    auto placement = make();
    std::vector<std::string> groups{"Sources"};
    placement->add("App", groups, "a.c");
    placement->addByName(target, "x.h", "App", groups);
    groups.push_back("IO");  // each reference keeps the chain it was read under
    placement->add("App", groups, "b.c");
    placement->add("App", groups, "notes.txt");
    placement->addByName(target, "missing.h", "Lib", groups);
    placement->addByName(target, "skip.txt", "Lib", groups);
    groups.pop_back();
    placement->add("Lib", groups, "d.c");
    EXPECT_EQ(placed, std::vector<std::string>{"App/Sources: a.c"});

    gate.set_value();
    placement->finish();
    EXPECT_EQ(placed, (std::vector<std::string>{"App/Sources: a.c", "App/Sources: inc\\x.h",
                                                "App/Sources/IO: b.c",
                                                "Lib/Sources/IO: ", "Lib/Sources: d.c"}));

    // With nothing held back, a known path is placed at once.
    placement->add("App", {}, "e.c");
    EXPECT_EQ(placed.back(), "App: e.c");
}

TEST_F(OrderedPlacementTest, TheReaderWaitsOnceTooManyReferencesAreHeldBack) {
    OrderedPlacement placement(
        worker,
        [this](const GroupNode&, const std::string& name) {
            gateOpen.wait();
            return name;
        },
        [](const std::string&) { return true; }, recorder(), 2);
    placement.addByName(target, "x.h", "App", {});
    placement.add("App", {}, "a.c");
    EXPECT_TRUE(placed.empty());
    // The third held-back reference waits for the look-up, which is answered
    // only later: without the wait, nothing would be placed yet.
    std::thread opener([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        gate.set_value();
    });
    placement.add("App", {}, "b.c");
    opener.join();
    EXPECT_EQ(placed, (std::vector<std::string>{"App: x.h", "App: a.c", "App: b.c"}));
}

TEST_F(OrderedPlacementTest, LeavingOnAnErrorStillPlacesWhatWasRead) {
    try {
        auto placement = make();
        placement->addByName(target, "x.h", "App", {});
        placement->add("App", {}, "b.c");
        gate.set_value();
        throw std::runtime_error("input ended");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(placed, (std::vector<std::string>{"App: inc\\x.h", "App: b.c"}));
}

TEST_F(OrderedPlacementTest, AFailedSearchReachesTheReaderAndStopsPlacement) {
    auto placement = make();
    placement->add("App", {}, "a.c");
    placement->addByName(target, "throw.h", "App", {});
    placement->addByName(target, "x.h", "App", {});
    gate.set_value();
    EXPECT_THROW(placement->finish(), std::runtime_error);
    EXPECT_EQ(placed, std::vector<std::string>{"App: a.c"});
}

}  // namespace
}  // namespace tessaly
