#include "util/AppError.h"

void RaiseError(std::int32_t number, const std::string& description) {
    throw AppError(number, description);
}
