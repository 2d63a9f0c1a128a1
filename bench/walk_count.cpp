// The walk and the motion of the rings as plain code, for counting the
// instructions they execute under an emulated 32-bit CPU
// (scripts/bench-i486-count.sh builds it for the i486 and for the Pentium
// Pro and runs both). No windows.h. Prints what it computed, so that
// nothing is optimised away.
//
//   walk_count [row] [walks] [motion steps]   (default every row, 2 and 50;
//   a row is 0, 1 or 2: the counting script counts each on its own)
#include <cstdio>
#include <cstdlib>

#include "saver/rings/frame_arrays.h"
#include "saver/rings/ring_draw.h"
#include "saver/rings/rings.h"

namespace {

struct Row {
    const char* name;
    bool flat, monochrome;
};

const Row kRows[] = {{"N8 3D mono", false, true},
                     {"N8 3D colour", false, false},
                     {"N8 flat mono", true, true}};

void RunRow(const Row& row, int walks, int steps)
{
    RingOptions options;
    options.number = 8;
    RingRandom random(4242);
    RingTree tree;
    BuildRings(tree, options, random);
    static TiltTable tilt;
    BuildTilt(tilt);
    LookOptions look;
    look.flat = row.flat;
    look.monochrome = row.monochrome;
    TexRect tex;
    FrameArrays arrays;
    std::size_t vertices = 0;
    for (int i = 0; i < walks; ++i) {
        arrays.Clear();
        if (row.flat)
            DrawFlat(tree, look, tex, arrays);
        else
            Draw3D(tree, tilt, look, tex, arrays);
        vertices += arrays.VertexCount();
    }
    Motion motion;
    std::uint32_t now = 3500;
    for (int i = 0; i < steps; ++i)
        AdvanceMotion(motion, tree, 1.0, now += 10);
    std::printf("%-14s rings %d vertices %zu rotX %.6f\n", row.name, tree.ringCount, vertices,
                motion.rotX);
}

} // namespace

int main(int argc, char** argv)
{
    int row = argc > 1 ? std::atoi(argv[1]) : -1;
    int walks = argc > 2 ? std::atoi(argv[2]) : 2;
    int steps = argc > 3 ? std::atoi(argv[3]) : 50;
    for (int i = 0; i < static_cast<int>(sizeof kRows / sizeof kRows[0]); ++i)
        if (row < 0 || row == i)
            RunRow(kRows[i], walks, steps);
    return 0;
}
