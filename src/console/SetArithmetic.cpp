#include "console/SetArithmetic.h"

namespace console {

namespace {

constexpr size_t StackLimit = 64;

enum Op : uint16_t {
    OpOpen = 0x0128, OpClose = 0x0229, OpComma = 0x032C, OpAssign = 0x043D,
    OpOr = 0x117C, OpXor = 0x125E, OpAnd = 0x1326, OpShl = 0x213C, OpShr = 0x223E,
    OpAdd = 0x312B, OpSub = 0x322D, OpMul = 0x412A, OpDiv = 0x422F, OpMod = 0x4325,
    OpPlus = 0x5150, OpNeg = 0x524D, OpNot = 0x534E,
};

struct Operand {
    int32_t value = 0;
    ustring name; // set when the operand is a variable
};

struct Failure {
    int id;
    ustring insert;
};

class Evaluator {
public:
    explicit Evaluator(Environment& env) : env_(env) {}

    int32_t run(uview e)
    {
        size_t i = 0;
        bool expectOperand = true;
        auto skip = [&] {
            while (i < e.size() && (isBlank(e[i]) || e[i] == '"'))
                ++i;
        };
        for (;;) {
            skip();
            if (i >= e.size())
                break;
            char16_t c = e[i];
            if (expectOperand) {
                if (c == '+' || c == '-' || c == '~') {
                    pushOp(c == '+' ? OpPlus : c == '-' ? OpNeg : OpNot);
                    ++i;
                    continue;
                }
                if (c == '(') {
                    pushOp(OpOpen);
                    ++i;
                    continue;
                }
                if (c >= '0' && c <= '9') {
                    size_t end = 0;
                    int32_t v = strtol32(e.substr(i), &end);
                    size_t after = i + end;
                    if (after < e.size() && (std::iswalnum(wint_t(e[after])) || e[after] == '_'))
                        throw Failure{msg::InvalidNumber, {}};
                    pushOperand(Operand{v, {}});
                    i = after;
                    expectOperand = false;
                    continue;
                }
                if (uview(u"<>*/%)|^&=,").find(c) != uview::npos)
                    throw Failure{msg::MissingOperand, {}};
                size_t start = i;
                while (i < e.size() && !isBlank(e[i]) && uview(u"+-~<>*/%()|^&=,\"").find(e[i]) == uview::npos)
                    ++i;
                ustring name(e.substr(start, i - start));
                pushOperand(Operand{0, name});
                expectOperand = false;
                continue;
            }
            // An operator is expected.
            if (uview(u"<>+-*/%()|^&=,").find(c) == uview::npos)
                throw Failure{msg::MissingOperator, {}};
            if (c == ')') {
                reduceToOpen();
                ++i;
                continue;
            }
            if (c == '(')
                throw Failure{msg::MissingOperator, {}};
            uint16_t op;
            size_t len = 1;
            switch (c) {
            case '<':
            case '>':
                if (i + 1 >= e.size() || e[i + 1] != c)
                    throw Failure{msg::Unexpected, ustring(e.substr(i))};
                op = c == '<' ? OpShl : OpShr;
                len = 2;
                break;
            case '+': op = OpAdd; break;
            case '-': op = OpSub; break;
            case '*': op = OpMul; break;
            case '/': op = OpDiv; break;
            case '%': op = OpMod; break;
            case '|': op = OpOr; break;
            case '^': op = OpXor; break;
            case '&': op = OpAnd; break;
            case '=': op = OpAssign; break;
            default: op = OpComma; break;
            }
            i += len;
            if (op != OpAssign && op != OpComma && i < e.size() && e[i] == '=') {
                // Compound assignment: x op= y is x = x op y.
                ++i;
                reduceFor(OpAssign);
                pushOpRaw(OpAssign);
                if (operands_.empty())
                    throw Failure{msg::MissingOperand, {}};
                pushOperand(operands_.back());
                pushOpRaw(op);
            } else {
                reduceFor(op);
                pushOpRaw(op);
            }
            expectOperand = true;
        }
        while (!ops_.empty()) {
            if (ops_.back() == OpOpen)
                throw Failure{msg::UnbalancedParen, {}};
            reduceOne();
        }
        if (operands_.size() != 1)
            throw Failure{msg::MissingOperand, {}};
        return valueOf(operands_.back());
    }

private:
    int32_t valueOf(const Operand& o)
    {
        if (o.name.empty())
            return o.value;
        std::optional<ustring> v = env_.get(o.name);
        if (!v)
            return 0;
        size_t k = 0;
        while (k < v->size() && (isBlank((*v)[k]) || (*v)[k] == '"'))
            ++k;
        return strtol32(uview(*v).substr(k));
    }

    void pushOperand(Operand o)
    {
        if (operands_.size() >= StackLimit)
            throw Failure{msg::ExpressionTooComplex, {}};
        operands_.push_back(std::move(o));
    }
    void pushOpRaw(uint16_t op)
    {
        if (ops_.size() >= StackLimit)
            throw Failure{msg::ExpressionTooComplex, {}};
        ops_.push_back(op);
    }
    void pushOp(uint16_t op) { pushOpRaw(op); }

    static bool isUnary(uint16_t op) { return op == OpPlus || op == OpNeg || op == OpNot; }

    void reduceFor(uint16_t op)
    {
        // Unary operators and assignments group from the right.
        while (!ops_.empty() && ops_.back() != OpOpen && ops_.back() >= op) {
            if (op == OpAssign && ops_.back() == OpAssign)
                break;
            reduceOne();
        }
    }

    void reduceToOpen()
    {
        while (!ops_.empty() && ops_.back() != OpOpen)
            reduceOne();
        if (ops_.empty())
            throw Failure{msg::UnbalancedParen, {}};
        ops_.pop_back();
    }

    void reduceOne()
    {
        uint16_t op = ops_.back();
        ops_.pop_back();
        if (isUnary(op)) {
            if (operands_.empty())
                throw Failure{msg::MissingOperand, {}};
            int32_t a = valueOf(operands_.back());
            uint32_t ua = uint32_t(a);
            int32_t r = op == OpPlus ? a : op == OpNeg ? int32_t(0u - ua) : int32_t(~ua);
            operands_.back() = Operand{r, {}};
            return;
        }
        if (operands_.size() < 2)
            throw Failure{msg::MissingOperand, {}};
        Operand right = operands_.back();
        operands_.pop_back();
        Operand left = operands_.back();
        operands_.pop_back();
        int32_t b = valueOf(right);
        int32_t r = 0;
        if (op == OpAssign) {
            if (left.name.empty())
                throw Failure{msg::AssignNeedsName, {}};
            env_.set(left.name, number(b));
            r = b;
        } else if (op == OpComma) {
            r = b;
        } else {
            int32_t a = valueOf(left);
            uint32_t ua = uint32_t(a), ub = uint32_t(b);
            switch (op) {
            case OpOr: r = int32_t(ua | ub); break;
            case OpXor: r = int32_t(ua ^ ub); break;
            case OpAnd: r = int32_t(ua & ub); break;
            case OpShl: r = int32_t(ua << (ub & 31)); break;
            case OpShr: r = a >> (ub & 31); break;
            case OpAdd: r = int32_t(ua + ub); break;
            case OpSub: r = int32_t(ua - ub); break;
            case OpMul: r = int32_t(uint32_t((int64_t)a * (int64_t)b)); break;
            case OpDiv:
            case OpMod:
                if (b == 0)
                    throw Failure{msg::MissingOperand, {}};
                if (a == INT32_MIN && b == -1)
                    r = op == OpDiv ? INT32_MIN : 0; // wraps instead of trapping
                else
                    r = op == OpDiv ? a / b : a % b;
                break;
            default: break;
            }
        }
        operands_.push_back(Operand{r, {}});
    }

    Environment& env_;
    std::vector<Operand> operands_;
    std::vector<uint16_t> ops_;
};

} // namespace

ArithmeticResult evaluateArithmetic(uview expr, Environment& env)
{
    ArithmeticResult r;
    Evaluator ev(env);
    try {
        r.value = ev.run(expr);
    } catch (const Failure& f) {
        r.error = f.id;
        r.errorInsert = f.insert;
    }
    return r;
}

} // namespace console
