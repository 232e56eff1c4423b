#pragma once
// SET /A: 32-bit signed integer expressions with wrap-around, two bounded stacks and
// one precedence level per operator.
#include "console/Environment.h"
#include "console/Messages.h"

namespace console {

struct ArithmeticResult {
    int error = 0;          // message number, 0 on success
    ustring errorInsert;    // text for messages with an insert
    int32_t value = 0;
};

// Evaluates `expr`, reading and assigning variables in `env`.
ArithmeticResult evaluateArithmetic(uview expr, Environment& env);

} // namespace console
