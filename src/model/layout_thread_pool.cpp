// The layout's thread pool: threads that take blocks of the pair pass while
// the step's own thread takes them too. Started at the first big step,
// stopped at exit.
#include "layout_thread_pool.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "program_state.h"
#include "simulation.h"

namespace {

class PairPool {
public:
    ~PairPool() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        for (std::thread& worker : workers_) worker.join();
    }

    // Runs run for every block, on the calling thread and threads - 1 of
    // the pool's (one for each core when threads is 0 or less).
    void RunBlocks(int threads, int blocks, void (*run)(int)) {
        if (threads <= 0) threads = Cores();
        int helpers = 0;
        {
            std::lock_guard lock(mutex_);
            helpers = std::min(threads, blocks) - 1;
            if (helpers > 0 && workers_.empty()) Start(blocks);
            helpers = std::min(helpers, static_cast<int>(workers_.size()));
            blocks_ = blocks;
            run_ = run;
            nextBlock_ = 0;
            blocksDone_ = 0;
            helpersWanted_ = helpers;
            running_ = true;
        }
        if (helpers > 0) wake_.notify_all();
        for (int block; (block = Claim()) >= 0;) Finish(block);
        std::unique_lock lock(mutex_);
        finished_.wait(lock, [this] { return blocksDone_ == blocks_; });
        running_ = false;
    }

private:
    // One thread for each core beside the caller's, and no more than the
    // blocks leave for them. Where no thread can be started the caller runs
    // every block.
    void Start(int blocks) {
        const int count = std::min(Cores() - 1, blocks - 1);
        try {
            for (int k = 0; k < count; ++k) workers_.emplace_back([this] { Work(); });
        } catch (const std::system_error&) {
        }
    }

    // The next block to run, or -1 when none is left.
    int Claim() {
        std::lock_guard lock(mutex_);
        if (!running_ || nextBlock_ == blocks_) return -1;
        return nextBlock_++;
    }

    // run_ is set before the blocks are handed out and kept until they are
    // all done, so a claimed block reads it without the lock.
    void Finish(int block) {
        run_(block);
        std::lock_guard lock(mutex_);
        if (++blocksDone_ == blocks_) finished_.notify_one();
    }

    void Work() {
        for (;;) {
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [this] {
                    return stopping_ || (running_ && helpersWanted_ > 0 && nextBlock_ < blocks_);
                });
                if (stopping_) return;
                --helpersWanted_;
            }
            for (int block; (block = Claim()) >= 0;) Finish(block);
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_, finished_;
    std::vector<std::thread> workers_;
    static int Cores() {
        return static_cast<int>(std::max(std::thread::hardware_concurrency(), 1u));
    }

    void (*run_)(int) = nullptr;  // what each block does, for the current call
    int blocks_ = 0;              // blocks of the current call
    int nextBlock_ = 0, blocksDone_ = 0, helpersWanted_ = 0;
    bool running_ = false, stopping_ = false;
};

PairPool& Pool() {
    static PairPool pool;
    return pool;
}

}  // namespace

void SetLayoutThreads(int count) {
    program.layoutThreads = count;
}

void RunLayoutBlocks(int blocks, void (*run)(int block)) {
    Pool().RunBlocks(program.layoutThreads, blocks, run);
}
