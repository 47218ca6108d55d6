// How the pool's readers read a device: a disc that seeks one whole file after another, front to back, in list
// order; flash several files side by side. And the queue that groups the jobs by device and holds readers to
// the windows of jobs and bytes.
#include "DigestPoolTestFiles.h"
#include "digest/clsDigestQueue.h"
#include "util/clsFileReader.h"

#include <gtest/gtest.h>

#include <map>
#include <mutex>
#include <utility>

namespace {

struct Read {
    std::string path;
    std::uint64_t offset;
};

// Every read the pool's readers make, in the order they make them.
class ReadRecorder {
public:
    ReadRecorder() {
        clsFileReader::SetFaultHook([this](const std::string& path, std::uint64_t offset) {
            if (offset != clsFileReader::kOpening) {
                const std::lock_guard lock(m_Mutex);
                m_Reads.push_back({path, offset});
            }
            return 0;
        });
    }
    ~ReadRecorder() { clsFileReader::SetFaultHook({}); }
    std::vector<Read> Reads() const {
        const std::lock_guard lock(m_Mutex);
        return m_Reads;
    }

private:
    mutable std::mutex m_Mutex;
    std::vector<Read> m_Reads;
};

// Mixed sizes and kinds: small files between large ones, MD5 (the lanes) beside the others.
std::vector<DigestJob> MixedJobs(const TempFolder& folder, std::mt19937& random) {
    std::vector<DigestJob> jobs;
    const DigestKind kinds[] = {DigestKind::MD5,   DigestKind::MD5, DigestKind::SHA224, DigestKind::MD5,
                                DigestKind::CRC32, DigestKind::MD5, DigestKind::SHA512, DigestKind::MD5};
    for (int i = 0; i < 24; ++i) {
        const std::size_t size = i % 3 == 0 ? (2u << 20) + random() % (2u << 20) : random() % 70000;
        const std::string path = WriteRandomFile(folder, std::to_string(i) + ".bin", size, random);
        jobs.push_back({path, kinds[i % 8], static_cast<std::int64_t>(size)});
    }
    return jobs;
}

clsDigestPool::Options OptionsFor(DeviceSeeks seeks) {
    clsDigestPool::Options options;
    options.workers = 2;
    options.seeks = [seeks](std::uint64_t) { return seeks; };
    return options;
}

TEST(DigestReaders, ADiscThatSeeksIsReadOneWholeFileAfterAnotherInListOrder) {
    TempFolder folder;
    std::mt19937 random(21);
    const std::vector<DigestJob> jobs = MixedJobs(folder, random);
    const std::vector<Outcome> expected = FileFunctionOutcomes(jobs);
    for (const DeviceSeeks seeks : {DeviceSeeks::Yes, DeviceSeeks::Unknown}) {
        SCOPED_TRACE(SeeksName(seeks));
        ReadRecorder recorder;
        clsDigestPool pool(OptionsFor(seeks));
        pool.Start(jobs);
        for (std::size_t i = 0; i < jobs.size(); ++i) {
            ASSERT_EQ(PoolOutcome(pool, i), expected[i]) << jobs[i].path;
        }
        // Each file's reads in one run, each going on where the one before ended, and the runs in list order.
        std::vector<std::string> order;
        std::uint64_t next = 0;
        for (const Read& read : recorder.Reads()) {
            if (order.empty() || order.back() != read.path) {
                ASSERT_EQ(std::count(order.begin(), order.end(), read.path), 0) << read.path << " read again later";
                ASSERT_EQ(read.offset, 0u) << read.path;
                order.push_back(read.path);
            } else {
                ASSERT_GT(read.offset, next) << read.path << " read backwards";
            }
            next = read.offset;
        }
        std::vector<std::string> listed;
        for (const DigestJob& job : jobs) {
            listed.push_back(job.path);
        }
        EXPECT_EQ(order, listed);
    }
}

TEST(DigestReaders, FlashIsReadSideBySide) {
    TempFolder folder;
    std::mt19937 random(22);
    std::vector<DigestJob> jobs;
    for (int i = 0; i < 12; ++i) {
        jobs.push_back(
            {WriteRandomFile(folder, std::to_string(i) + ".bin", 1u << 20, random), DigestKind::MD5, 1 << 20});
    }
    const std::vector<Outcome> expected = FileFunctionOutcomes(jobs);
    ReadRecorder recorder;
    clsDigestPool pool(OptionsFor(DeviceSeeks::No));
    pool.Start(jobs);
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        ASSERT_EQ(PoolOutcome(pool, i), expected[i]);
    }
    if (pool.LanesPerWorker() < 2) {
        GTEST_SKIP() << "MD5 is hashed one file at a time here: nothing asks for files side by side";
    }
    // Some file is read again after another file's read: the readers hold several at once.
    const std::vector<Read> reads = recorder.Reads();
    bool sideBySide = false;
    std::map<std::string, std::size_t> lastRead;
    for (std::size_t i = 0; i < reads.size(); ++i) {
        const auto found = lastRead.find(reads[i].path);
        sideBySide = sideBySide || (found != lastRead.end() && found->second + 1 < i);
        lastRead[reads[i].path] = i;
    }
    EXPECT_TRUE(sideBySide);
}

DigestJob Job(std::size_t number, std::int64_t length) {
    std::string path = "/nowhere/";
    path += std::to_string(number); // GCC 12 warns falsely of overlapping copies in "..." + std::to_string
    return {path, DigestKind::MD5, length};
}

TEST(DigestQueue, ReadersAttachToTheDeviceWhoseJobComesFirst) {
    clsDigestQueue queue(2, 1, 100, 1u << 30);
    queue.Start({}, true);
    const std::uint64_t devices[] = {7, 7, 9, 7, 9};
    queue.Add({Job(0, 10), Job(1, 10), Job(2, 10), Job(3, 10), Job(4, 10)}, devices);
    clsDigestQueue::Group* first = queue.Attach(false);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->device, 7u);
    // One reader per device until the device has a plan that allows more.
    clsDigestQueue::Group* second = queue.Attach(false);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->device, 9u);
    EXPECT_EQ(queue.Attach(false), nullptr);
    clsDigestQueue::ReadPlan plan;
    plan.readers = 2;
    queue.SetPlan(*first, plan);
    EXPECT_EQ(queue.Attach(false), first);
    std::vector<std::size_t> claimed;
    while (const auto piece = queue.Claim(*first)) {
        claimed.push_back(piece->job);
    }
    EXPECT_EQ(claimed, (std::vector<std::size_t>{0, 1, 3}));
    EXPECT_EQ(queue.Samples(*second, 8), (std::vector<std::string>{"/nowhere/2", "/nowhere/4"}));
    queue.NoMoreJobs();
}

TEST(DigestQueue, WindowsOfJobsAndBytes) {
    const struct {
        std::size_t window;
        std::uint64_t windowBytes;
        std::vector<std::int64_t> lengths;
        std::size_t claimable; // before the first result is taken
    } rows[] = {
        {100, 1000, {400, 400, 400, 400}, 2}, // bytes: 800 fit, 1200 do not
        {2, 1u << 30, {1, 1, 1, 1}, 2},       // jobs
        {100, 10, {5000, 5000}, 1},           // the first job is claimed however large
        {100, 1000, {-1, -1, 0, 1000}, 4},    // lengths not known count as nothing
    };
    for (const auto& row : rows) {
        clsDigestQueue queue(1, 1, row.window, row.windowBytes);
        std::vector<DigestJob> jobs;
        for (std::size_t i = 0; i < row.lengths.size(); ++i) {
            jobs.push_back(Job(i, row.lengths[i]));
        }
        queue.Start(std::move(jobs), false);
        clsDigestQueue::Group* group = queue.Attach(false);
        ASSERT_NE(group, nullptr);
        std::size_t claimed = 0;
        while (queue.Claim(*group)) {
            ++claimed;
        }
        EXPECT_EQ(claimed, row.claimable) << row.window << " jobs, " << row.windowBytes << " bytes";
        // Taking the first result makes room for the next.
        queue.Publish(0, "x", 0);
        EXPECT_EQ(queue.Take(0).digest, "x");
        if (row.claimable < row.lengths.size()) {
            EXPECT_TRUE(queue.Claim(*group).has_value());
        }
        queue.Cancel();
    }
}

} // namespace
