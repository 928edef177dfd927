// The shared library as an outside program uses it: both exports found by
// name, the callee-cleans-up convention on 32-bit Windows, and the same
// samples as the decoder object of the static library.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "decoder_state.h"
#include "frame_writer.h"
#include "library_loader.h"

namespace {

#if defined(_WIN32) && defined(__i386__)
// Calls fn with args[0..count-1] pushed by hand, on a stack misaligned by
// misalign bytes from a 16-byte boundary (callers outside this program
// guarantee only 4), and returns how far the stack pointer moved across the
// call: 0 when the callee removed its arguments, 4 per argument when it left
// them to the caller.
int32_t stackMovement(void* fn, int32_t count, const uint32_t* args, int32_t* result, uint32_t misalign = 0) {
    const uint32_t stackWords[3] = {args[0], count > 1 ? args[1] : 0, misalign};
    int32_t moved = count;
    int32_t ret = 0;
    __asm__ volatile("movl %%esp, %%ebx\n\t"
                     "andl $-16, %%esp\n\t"
                     "subl $8, %%esp\n\t"
                     "subl 8(%%edi), %%esp\n\t"
                     "movl %%esp, %%esi\n\t"
                     "cmpl $1, %%ecx\n\t"
                     "je 1f\n\t"
                     "pushl 4(%%edi)\n\t"
                     "pushl (%%edi)\n\t"
                     "jmp 2f\n"
                     "1:\n\t"
                     "subl $4, %%esp\n\t"
                     "movl %%esp, %%esi\n\t"
                     "pushl (%%edi)\n"
                     "2:\n\t"
                     "call *%%edx\n\t"
                     "movl %%esi, %%ecx\n\t"
                     "subl %%esp, %%ecx\n\t"
                     "movl %%ebx, %%esp\n\t"
                     : "=a"(ret), "+c"(moved), "+d"(fn)
                     : "D"(stackWords)
                     : "ebx", "esi", "memory", "cc");
    *result = ret;
    return moved;
}

// A caller-cleans-up function, to show what the measurement reports for one.
extern "C" __attribute__((noinline, cdecl)) int32_t cdeclProbe(int32_t value) { return value + 1; }
#endif

class SharedLibrary : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_lib.loaded()) << "cannot load " << SPEECHDEC_LIBRARY; }
    SpeechdecLibrary m_lib{SPEECHDEC_LIBRARY};
};

TEST_F(SharedLibrary, ExportsAreFoundByTheirPlainNames) {
    EXPECT_NE(m_lib.symbol("INITdec"), nullptr);
    EXPECT_NE(m_lib.symbol("DecSoundFrame"), nullptr);
#ifdef _WIN32
    EXPECT_EQ(m_lib.symbol("INITdec@4"), nullptr);
    EXPECT_EQ(m_lib.symbol("_INITdec@4"), nullptr);
    EXPECT_EQ(m_lib.symbol("DecSoundFrame@8"), nullptr);
#endif
    EXPECT_EQ(m_lib.symbol("decodeFrame"), nullptr);
}

TEST_F(SharedLibrary, SamplesEqualTheStaticDecoder) {
    std::vector<std::vector<uint8_t>> stream = frames::mixedStream(31, 400);
    for (const std::vector<uint8_t>& f : frames::mixedStream(32, 400)) stream.push_back(f);
    DecoderState reference;
    ASSERT_EQ(m_lib.init(0), 0);
    for (size_t i = 0; i < stream.size(); ++i) {
        const void* frame = stream[i].empty() ? nullptr : stream[i].data();
        int16_t expected[frameLength], got[frameLength];
        const int32_t words = reference.decodeSoundFrame(frame, expected);
        ASSERT_EQ(m_lib.decode(frame, got), words) << i;
        ASSERT_EQ(0, std::memcmp(expected, got, sizeof got)) << i;
    }
}

#if defined(_WIN32) && defined(__i386__)
TEST_F(SharedLibrary, ExportsRemoveTheirArgumentsFromTheStack) {
    int32_t result = -1;
    const uint32_t mode[1] = {0};
    EXPECT_EQ(stackMovement(reinterpret_cast<void*>(&cdeclProbe), 1, mode, &result), 4);
    EXPECT_EQ(result, 1);

    EXPECT_EQ(stackMovement(m_lib.symbol("INITdec"), 1, mode, &result), 0);
    EXPECT_EQ(result, 0);

    frames::Random rng(33);
    std::vector<uint8_t> frame = frames::randomSpeechFrame(rng, true);
    std::vector<int16_t> samples(frameLength, 0x5555);
    const uint32_t decodeArgs[2] = {reinterpret_cast<uint32_t>(frame.data()),
                                    reinterpret_cast<uint32_t>(samples.data())};
    EXPECT_EQ(stackMovement(m_lib.symbol("DecSoundFrame"), 2, decodeArgs, &result), 0);
    EXPECT_EQ(result, 10);
    const uint32_t lostArgs[2] = {0, reinterpret_cast<uint32_t>(samples.data())};
    EXPECT_EQ(stackMovement(m_lib.symbol("DecSoundFrame"), 2, lostArgs, &result), 0);
    EXPECT_EQ(result, 1);

    // Any 4-byte stack alignment of the caller works and decodes the same.
    std::vector<int16_t> reference(frameLength);
    ASSERT_EQ(stackMovement(m_lib.symbol("INITdec"), 1, mode, &result), 0);
    ASSERT_EQ(stackMovement(m_lib.symbol("DecSoundFrame"), 2, decodeArgs, &result), 0);
    reference = samples;
    for (uint32_t misalign : {4u, 8u, 12u}) {
        SCOPED_TRACE(misalign);
        std::fill(samples.begin(), samples.end(), int16_t{0x5555});
        EXPECT_EQ(stackMovement(m_lib.symbol("INITdec"), 1, mode, &result, misalign), 0);
        EXPECT_EQ(stackMovement(m_lib.symbol("DecSoundFrame"), 2, decodeArgs, &result, misalign), 0);
        EXPECT_EQ(result, 10);
        EXPECT_EQ(samples, reference);
    }
}
#endif

}  // namespace
