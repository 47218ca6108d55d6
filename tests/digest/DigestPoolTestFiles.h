// Files, jobs and outcomes shared by the digest pool's tests: what a job gives, through the file digest
// functions or through the pool, as one comparable value.
#pragma once

#include "TempFolder.h"
#include "digest/DigestJob.h"
#include "digest/clsDigestPool.h"
#include "digest/mdlAPICRC32.h"
#include "digest/mdlAPIMD5.h"
#include "digest/mdlAPISHA.h"
#include "util/AppError.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <ostream>
#include <random>
#include <string>
#include <vector>

/// A digest text, or that the file could not be digested.
struct Outcome {
    std::string text;
    bool failed = false;

    bool operator==(const Outcome&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, DigestKind kind) {
    return out << static_cast<std::int32_t>(kind);
}

inline std::ostream& operator<<(std::ostream& out, const Outcome& outcome) {
    return out << (outcome.failed ? std::string("(failed)") : outcome.text);
}

inline std::string WriteRandomFile(const TempFolder& folder, const std::string& name, std::size_t size,
                                   std::mt19937& random) {
    std::string bytes(size, '\0');
    for (char& byte : bytes) {
        byte = static_cast<char>(random());
    }
    return folder.Write(name, bytes);
}

/// Each path with each kind, 1 to 8: first the kinds in runs (all files with kind 1, then kind 2, ...), then
/// the kinds taking turns from file to file.
inline std::vector<DigestJob> EveryKindOfEveryFile(const std::vector<std::string>& paths) {
    std::vector<DigestJob> jobs;
    for (std::int32_t kind = 1; kind <= 8; ++kind) {
        for (const std::string& path : paths) {
            jobs.push_back({path, DigestKindOf(kind), 0});
        }
    }
    for (std::int32_t kind = 1; kind <= 8; ++kind) {
        for (std::size_t i = 0; i < paths.size(); ++i) {
            const auto turn = static_cast<std::int32_t>(1 + (i + static_cast<std::size_t>(kind)) % 8);
            jobs.push_back({paths[i], DigestKindOf(turn), 0});
        }
    }
    return jobs;
}

// The file digest functions raise the digest error where the pool gives the job a failure.
template <class Compute>
Outcome OutcomeOf(Compute&& compute) {
    try {
        return {compute(), false};
    } catch (const AppError& error) {
        EXPECT_EQ(error.Number(), ErrorNumber::DigestFailed);
        return {"", true};
    }
}

/// What the file digest functions give for each job.
inline std::vector<Outcome> FileFunctionOutcomes(const std::vector<DigestJob>& jobs) {
    constexpr ShaAlgorithm kSha[] = {ShaAlgorithm::SHA1, ShaAlgorithm::SHA224, ShaAlgorithm::SHA256,
                                     ShaAlgorithm::SHA384, ShaAlgorithm::SHA512};
    std::vector<Outcome> outcomes;
    for (const DigestJob& job : jobs) {
        outcomes.push_back(OutcomeOf([&] {
            switch (job.kind) {
                case DigestKind::CRC16:
                    return FileCRC16(job.path);
                case DigestKind::CRC32:
                    return FileCRC32(job.path);
                case DigestKind::MD5:
                    return FileMD5(job.path);
                default:
                    return FileSHA(job.path, kSha[static_cast<std::int32_t>(job.kind) - 4]);
            }
        }));
    }
    return outcomes;
}

inline Outcome PoolOutcome(clsDigestPool& pool, std::size_t index) {
    const DigestResult result = pool.Take(index);
    return {result.digest, result.Failed()};
}
