#include "digest/DigestFailure.h"

#include "util/AppError.h"
#include "util/FileSystem.h"

#include <new>

std::string ReadFailure(int code) {
    return "読み取りエラー: " + ReadErrorReason(code);
}

std::string FailureOf(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const AppError& appError) {
        return appError.Description();
    } catch (const std::bad_alloc&) {
        return "メモリが足りません";
    } catch (const std::exception& other) {
        return other.what();
    } catch (...) {
        return "不明なエラー";
    }
}
