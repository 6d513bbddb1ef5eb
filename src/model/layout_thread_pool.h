// The small pool of threads that shares out the pair pass of a big layout
// step. The work comes in numbered blocks; the calling thread and the pool's
// threads claim them one at a time, and the call returns once every block is
// done. Which thread ran a block never shows in the result, since each block
// writes only to its own place.
#pragma once

// Runs run(block) for every block from 0 to blocks - 1, on the calling thread
// and as many of the pool's threads as SetLayoutThreads allows (see
// simulation.h). The pool's threads are started at the first call that can
// use them and stopped at exit; where none can be started the caller runs
// every block. Calls must not overlap.
void RunLayoutBlocks(int blocks, void (*run)(int block));
