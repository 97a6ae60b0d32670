#include <gtest/gtest.h>

#include "status_block.h"

namespace talveno::console {
namespace {

TEST(StatusBlock, InputReadings) {
    StatusBlock block{};
    block[3] = 1;
    block[35] = 1;  // input 3 at its active level
    block[4] = 0;
    block[36] = 1;  // input 4 not
    block[96] = 0x34;
    block[97] = 0x12;
    block[98] = 0xFF;
    block[99] = 0xFF;
    block[64] = 5;
    block[64 + 14] = 0;
    block[96 + 28] = 0x00;
    block[96 + 29] = 0x80;

    EXPECT_TRUE(ReadInput(block, 3).atActiveLevel());
    EXPECT_FALSE(ReadInput(block, 4).atActiveLevel());
    EXPECT_EQ(ReadInput(block, 0).counter, 4660);
    EXPECT_EQ(ReadInput(block, 1).counter, -1);
    EXPECT_EQ(ReadInput(block, 2).counter, 0);
    EXPECT_EQ(ReadInput(block, 14).counter, -32768);
    EXPECT_TRUE(ReadInput(block, 0).enabled);
    EXPECT_FALSE(ReadInput(block, 14).enabled);
    // Outside the fifteen inputs nothing is read.
    EXPECT_EQ(ReadInput(block, 15).counter, 0);
}

TEST(StatusBlock, PrimingTakesTheOppositeOfEachActiveLevel) {
    StatusBlock block{};
    block[32] = 1;
    block[33] = 0;
    block[34] = 1;
    for (std::size_t i = 35; i < 64; ++i) {
        block[i] = 1;
    }
    block[47] = 0;  // entry 15: primed and sent in bit 0 of byte 1
    block[63] = 0;  // entry 31: primed, never sent
    SimulationState sim;
    PrimeToggles(block, sim);
    EXPECT_EQ(sim.simToggles[0], 0);
    EXPECT_EQ(sim.simToggles[1], 1);
    EXPECT_EQ(sim.simToggles[2], 0);
    EXPECT_EQ(sim.simToggles[15], 1);
    EXPECT_EQ(sim.simToggles[31], 1);
    const SimulationBlock sent = BuildSimulationBlock(sim);
    EXPECT_EQ(sent[0], 0x40);  // bit 7 clear, bit 6 set, bit 5 clear
    EXPECT_EQ(sent[1], 0x01);
    for (std::size_t i = 4; i < kSimulationBlockSize; ++i) {
        EXPECT_EQ(sent[i], 0) << i;
    }
}

}  // namespace
}  // namespace talveno::console
