#pragma once

#include "store/SignaturePlan.h"
#include "store/SignatureService.h"

#include <optional>

// What `apply` has to do to put a signature in use as asked: the plan from
// how things are now, empty when they are so already. SignatureService is
// the way in.
namespace SignatureApplier {
std::optional<SignaturePlan> plan(const SignatureService &service,
                                  const SignatureService::ApplyRequest &request,
                                  SignatureService::Failure *failure);
} // namespace SignatureApplier
