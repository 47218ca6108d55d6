// The one error type of Ferrule: a 32-bit error number and a UTF-8 description.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

/// Error numbers that the program raises itself or borrows from the classic runtime.
namespace ErrorNumber {
inline constexpr std::int32_t InvalidArgument = 5; // a position or name not in a collection
inline constexpr std::int32_t Overflow = 6;        // a number too large for its type
inline constexpr std::int32_t SubscriptOutOfRange = 9;
inline constexpr std::int32_t DuplicateKey = 457;          // a key already in a collection
inline constexpr std::int32_t InvalidDigest = -2147220864; // 0x80040280
inline constexpr std::int32_t DigestFailed = -2147220862;  // 0x80040282
} // namespace ErrorNumber

class AppError : public std::runtime_error {
public:
    AppError(std::int32_t number, const std::string& description) : std::runtime_error(description), m_Number(number) {}

    std::int32_t Number() const noexcept { return m_Number; }
    std::string Description() const { return what(); }

private:
    std::int32_t m_Number = 0;
};

/// Throws an AppError; every error of the program is raised through here.
[[noreturn]] void RaiseError(std::int32_t number, const std::string& description);
