#include "document/calc/Evaluator.h"

#include "foundation/InterfaceTexts.h"
#include "foundation/MessageDlg.h"
#include "foundation/StringRoutines.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/SysUtils.h"

#include <algorithm>
#include <cfenv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

const char* const EvaluatorFunctionNames[EvaluatorFunctionCount] = {
    "",            "cos",         "sin",          "tan",         "tg",           "cot",
    "cotan",       "ctg",         "arccos",       "acos",        "arcsin",       "asin",
    "arctan",      "atan",        "arctg",        "cosh",        "sinh",         "tanh",
    "tgh",         "arccosh",     "arcsinh",      "arctanh",     "arctgh",       "ln",
    "lg",          "logb",        "exp",          "sqrt",        "abs",          "trunc",
    "round",       "frac",        "DegEnRad",     "RadEnDeg",    "BinEnDec",     "OctEnDec",
    "HexEnDec",    "RomainEnArabe", "DecEnBin",   "DecEnOct",    "DecEnHex",     "ArabeEnRomain",
    "CmEnPouce",   "CmEnPied",    "CmEnYard",     "CmEnMetre",   "PouceEnCm",    "PouceEnPied",
    "PouceEnYard", "PouceEnMetre", "PiedEnCm",    "PiedEnPouce", "PiedEnYard",   "PiedEnMetre",
    "YardEnCm",    "YardEnPouce", "YardEnPied",   "YardEnMetre", "YardEnKm",     "YardEnMile",
    "MetreEnCm",   "MetreEnPouce", "MetreEnPied", "MetreEnYard", "MetreEnKm",    "MetreEnMile",
    "KmEnYard",    "KmEnMetre",   "KmEnMile",     "MileEnYard",  "MileEnMetre",  "MileEnKm",
    "GramEnOnce",  "GramEnLivre", "GramEnKg",     "OnceEnGram",  "OnceEnLivre",  "OnceEnKg",
    "LivreEnGram", "LivreEnOnce", "LivreEnKg",    "LivreEnTonne", "KgEnGram",    "KgEnOnce",
    "KgEnLivre",   "KgEnTonne",   "TonneEnLivre", "TonneEnKg",   "PinteEnLitre", "PinteEnGallon",
    "LitreEnPinte", "LitreEnGallon", "GallonEnPinte", "GallonEnLitre", "FahrEnCels", "CelsEnFahr",
    "AcreEnHect",  "HectEnAcre",
};

namespace {

// Unit words of the conversion descriptions, and the conversions as pairs of
// unit words (function 42 on, in index order).
enum TUnit { uCm, uPouce, uPied, uYard, uMetre, uKm, uMile, uGram, uOnce, uLivre, uKg, uTonne, uPinte, uLitre,
             uGallon, uFahr, uCels, uAcre, uHect };

constexpr const char* UnitWords[] = {
    "centimètres", "pouces anglais", "pieds anglais", "yards anglais", "mètres", "kilomètres",
    "miles internationaux", "grammes", "onces anglaises", "livres anglaises", "kilogrammes", "tonnes",
    "pintes britanniques", "litres", "gallons britanniques", "degrés Fahrenheit",
    "degrés centigrades (Celsius)", "acres", "hectares",
};

struct TUnitConversion {
    TUnit From;
    TUnit To;
    // The factor, or its reciprocal when Reciprocal is set (a factor written
    // 1/k is the extended reciprocal of k).
    TExtended Factor;
    bool Reciprocal;
};

constexpr int32_t FirstUnitFunction = 42;
constexpr TUnitConversion UnitConversions[] = {
    {uCm, uPouce, 2.54L, true},          {uCm, uPied, 30.48L, true},         {uCm, uYard, 91.44L, true},
    {uCm, uMetre, 0.01L, false},         {uPouce, uCm, 2.54L, false},        {uPouce, uPied, 12.0L, true},
    {uPouce, uYard, 36.0L, true},        {uPouce, uMetre, 0.0254L, false},   {uPied, uCm, 30.48L, false},
    {uPied, uPouce, 12.0L, false},       {uPied, uYard, 3.0L, true},         {uPied, uMetre, 3.28L, true},
    {uYard, uCm, 91.44L, false},         {uYard, uPouce, 36.0L, false},      {uYard, uPied, 3.0L, false},
    {uYard, uMetre, 0.9144L, false},     {uYard, uKm, 0.0009144L, false},    {uYard, uMile, 1760.0L, true},
    {uMetre, uCm, 100.0L, false},        {uMetre, uPouce, 39.37L, false},    {uMetre, uPied, 0.3048L, true},
    {uMetre, uYard, 0.9144L, true},      {uMetre, uKm, 0.001L, false},       {uMetre, uMile, 1609.34L, true},
    {uKm, uYard, 1094.0L, false},        {uKm, uMetre, 1000.0L, false},      {uKm, uMile, 1.60934L, true},
    {uMile, uYard, 1760.0L, false},      {uMile, uMetre, 1609.34L, false},   {uMile, uKm, 1.60934L, false},
    {uGram, uOnce, 28.3495L, true},      {uGram, uLivre, 453.592L, true},    {uGram, uKg, 0.001L, false},
    {uOnce, uGram, 28.3495L, false},     {uOnce, uLivre, 0.0625L, false},    {uOnce, uKg, 0.0283495L, false},
    {uLivre, uGram, 453.592L, false},    {uLivre, uOnce, 16.0L, false},      {uLivre, uKg, 0.453592L, false},
    {uLivre, uTonne, 0.000453592L, false}, {uKg, uGram, 1000.0L, false},     {uKg, uOnce, 0.0283495L, true},
    {uKg, uLivre, 0.453592L, true},      {uKg, uTonne, 0.001L, false},       {uTonne, uLivre, 0.000453592L, true},
    {uTonne, uKg, 1000.0L, false},       {uPinte, uLitre, 0.568261L, false}, {uPinte, uGallon, 0.125L, false},
    {uLitre, uPinte, 0.568261L, true},   {uLitre, uGallon, 4.54609L, true},  {uGallon, uPinte, 8.0L, false},
    {uGallon, uLitre, 4.54609L, false},  {uFahr, uCels, 0, false},           {uCels, uFahr, 0, false},
    {uAcre, uHect, 0.404687L, false},    {uHect, uAcre, 0.404687L, true},
};
static_assert(FirstUnitFunction + sizeof(UnitConversions) / sizeof(UnitConversions[0]) == EvaluatorFunctionCount);

constexpr int32_t FahrEnCels = 94;
constexpr int32_t CelsEnFahr = 95;

}  // namespace

const char* const EvaluatorFunctionDescriptions[EvaluatorFunctionCount - 1] = {
    "donne le cosinus de l'angle",
    "donne le sinus de l'angle",
    "donne la tangente de l'angle",
    "donne la tangente de l'angle",
    "donne la cotangente de l'angle",
    "donne la cotangente de l'angle",
    "donne la cotangente de l'angle",
    "donne le cosinus inverse de l'angle",
    "donne le cosinus inverse de l'angle",
    "donne le sinus inverse de l'angle",
    "donne le sinus inverse de l'angle",
    "donne l'arctangente du nombre",
    "donne l'arctangente du nombre",
    "donne l'arctangente du nombre",
    "donne le cosinus hyperbolique de l'angle",
    "donne le sinus hyperbolique de l'angle",
    "donne la tangente hyperbolique de l'angle",
    "donne la tangente hyperbolique de l'angle",
    "donne le cosinus hyperbolique inverse de l'angle",
    "donne le sinus hyperbolique inverse de l'angle",
    "donne la tangente hyperbolique inverse de l'angle",
    "donne la tangente hyperbolique inverse de l'angle",
    "donne le logarithme naturel",
    "donne le logarithme en base 10",
    "donne le logarithme en base 2",
    "donne l'exponentiel",
    "donne la racine carrée",
    "donne la valeur absolue",
    "troncature : donne l'entier d'un nombre réel",
    "arrondi : donne l'entier d'un nombre réel",
    "donne la mantisse d'un nombre réel",
    "convertit degrés en radians (angles)",
    "convertit radians en degrés (angles)",
    "convertit un entier binaire en entier décimal",
    "convertit un entier octal en entier décimal",
    "convertit un entier hexadecimal en entier décimal",
    "donne la notation décimale d'un entier en notation romaine",
    "convertit un entier décimal en entier binaire",
    "convertit un entier décimal en entier octal",
    "convertit un entier décimal en entier hexadecimal",
    "donne la notation romaine d'un entier en notation décimale",
    "convertit les centimètres en pouces anglais",
    "convertit les centimètres en pieds anglais",
    "convertit les centimètres en yards anglais",
    "convertit les centimètres en mètres",
    "convertit les pouces anglais en centimètres",
    "convertit les pouces anglais en pieds anglais",
    "convertit les pouces anglais en yards anglais",
    "convertit les pouces anglais en mètres",
    "convertit les pieds anglais en centimètres",
    "convertit les pieds anglais en pouces anglais",
    "convertit les pieds anglais en yards anglais",
    "convertit les pieds anglais en mètres",
    "convertit les yards anglais en centimètres",
    "convertit les yards anglais en pouces anglais",
    "convertit les yards anglais en pieds anglais",
    "convertit les yards anglais en mètres",
    "convertit les yards anglais en kilomètres",
    "convertit les yards anglais en miles internationaux",
    "convertit les mètres en centimètres",
    "convertit les mètres en pouces anglais",
    "convertit les mètres en pieds anglais",
    "convertit les mètres en yards anglais",
    "convertit les mètres en kilomètres",
    "convertit les mètres en miles internationaux",
    "convertit les kilomètres en yards anglais",
    "convertit les kilomètres en mètres",
    "convertit les kilomètres en miles internationaux",
    "convertit les miles internationaux en yards anglais",
    "convertit les miles internationaux en mètres",
    "convertit les miles internationaux en kilomètres",
    "convertit les grammes en onces anglaises",
    "convertit les grammes en livres anglaises",
    "convertit les grammes en kilogrammes",
    "convertit les onces anglaises en grammes",
    "convertit les onces anglaises en livres anglaises",
    "convertit les onces anglaises en kilogrammes",
    "convertit les livres anglaises en grammes",
    "convertit les livres anglaises en onces anglaises",
    "convertit les livres anglaises en kilogrammes",
    "convertit les livres anglaises en tonnes",
    "convertit les kilogrammes en grammes",
    "convertit les kilogrammes en onces anglaises",
    "convertit les kilogrammes en livres anglaises",
    "convertit les kilogrammes en tonnes",
    "convertit les tonnes en livres anglaises",
    "convertit les tonnes en kilogrammes",
    "convertit les pintes britanniques en litres",
    "convertit les pintes britanniques en gallons britanniques",
    "convertit les litres en pintes britanniques",
    "convertit les litres en gallons britanniques",
    "convertit les gallons britanniques en pintes britanniques",
    "convertit les gallons britanniques en litres",
    "convertit les degrés Fahrenheit en degrés centigrades (Celsius)",
    "convertit les degrés centigrades (Celsius) en degrés Fahrenheit",
    "convertit les acres en hectares",
    "convertit les hectares en acres",
};

std::string EvaluatorFunctionDescription(int32_t index)
{
    if (index < 1 || index >= EvaluatorFunctionCount)
        return {};
    return EvaluatorFunctionDescriptions[index - 1];
}

namespace {

// The descriptions of the conversions follow one pattern; the table above is
// checked against it by the tests.

constexpr char MultiplyDot = '\xB7';
// Nesting beyond this depth ends the evaluation ("Dépassement de capacité
// mémoire."): deep enough for any expression a person writes, far from the
// stack's limit.
constexpr int32_t MaxDepth = 256;
constexpr int32_t MaxNameShown = 64;

enum TPostfixMark : uint8_t { pmNone, pmPercentage, pmFactorial };

struct TEvalValue {
    TExtended Value = 0;
    TPostfixMark Mark = pmNone;
};

// An evaluation failure: the message and the span of the expression it names.
// A span starting at -1 stands for the whole expression.
struct TEvalFailure {
    std::string Message;
    int32_t Pos;
    int32_t Length;
};

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

char UpperAscii(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool SameName(const std::string& a, const char* b)
{
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (UpperAscii(a[i]) != UpperAscii(b[i]))
            return false;
    return i == a.size() && !b[i];
}

// The general number format of a value in messages.
std::string GeneralFormat(TExtended value)
{
    return FloatToStr(static_cast<double>(value));
}

std::string ShownName(const std::string& name)
{
    if (static_cast<int32_t>(name.size()) > MaxNameShown)
        return name.substr(0, MaxNameShown) + "...";
    return name;
}

class TEvaluator {
public:
    TEvaluator(const char* text, int32_t length) : FText(text), FLength(length) {}

    TEvalValue Evaluate() { return Eval(0, FLength, 0); }
    bool TopIsText() const { return FTopIsText; }
    const std::string& TopText() const { return FTopText; }

private:
    const char* FText;
    int32_t FLength;
    bool FTopIsText = false;
    std::string FTopText;

    [[noreturn]] void Fail(std::string message, int32_t pos, int32_t length)
    {
        throw TEvalFailure{std::move(message), pos, length};
    }
    [[noreturn]] void FailWhole(std::string message) { Fail(std::move(message), -1, 0); }

    [[noreturn]] void FailRange(const std::string& range, TExtended value, int32_t pos, int32_t length)
    {
        Fail("La plage des valeurs pour la variable est de " + range + " (valeur de la variable : " +
                 GeneralFormat(value) + ").",
             pos, length);
    }

    // The arithmetic flags of the last steps: an overflow, or any other
    // failure of the floating-point unit, ends the evaluation.
    TExtended Checked(TExtended value)
    {
        const int flags = std::fetestexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW | FE_UNDERFLOW);
        if (std::isnan(value) || (flags & (FE_INVALID | FE_DIVBYZERO)))
            FailWhole("Type d'erreur inconnu.");
        if (std::isinf(value) || (flags & FE_OVERFLOW))
            FailWhole("Dépassement de capacité.");
        if (flags & FE_UNDERFLOW)
            FailWhole("Type d'erreur inconnu.");
        return value;
    }

    std::string Slice(int32_t start, int32_t end) const { return std::string(FText + start, FText + end); }

    void Trim(int32_t& start, int32_t& end) const
    {
        while (start < end && FText[start] == ' ')
            ++start;
        while (end > start && FText[end - 1] == ' ')
            --end;
    }

    TEvalValue Eval(int32_t start, int32_t end, int32_t depth)
    {
        if (depth > MaxDepth)
            FailWhole("Dépassement de capacité mémoire.");
        Trim(start, end);
        if (start >= end)
            Fail("Expression manquante.", end, 0);
        TEvalValue value;
        if (Additive(start, end, depth, value))
            return value;
        if (Multiplicative(start, end, depth, value))
            return value;
        if (Power(start, end, depth, value))
            return value;
        if (Postfix(start, end, depth, value))
            return value;
        return Primary(start, end, depth);
    }

    // A right-hand operand marked as a percentage stands for that share of
    // the value so far.
    TExtended OperandValue(const TEvalValue& operand, TExtended sofar)
    {
        if (operand.Mark == pmPercentage)
            return Checked(sofar * operand.Value * 0.01L);
        return operand.Value;
    }

    // "+" or "-" that belongs to a number's exponent (1E-3).
    bool IsExponentSign(int32_t i, int32_t end) const
    {
        return i >= 2 && (FText[i - 1] == 'E' || FText[i - 1] == 'e') && IsDigit(FText[i - 2]) && end - i >= 2 &&
               IsDigit(FText[i + 1]);
    }

    bool Additive(int32_t start, int32_t end, int32_t depth, TEvalValue& result)
    {
        int32_t parens = 0;
        bool seenNonBlank = false;
        char leading = 0;
        std::vector<int32_t> ops;
        for (int32_t i = start; i < end; ++i) {
            const char c = FText[i];
            if (c == '(')
                ++parens;
            else if (c == ')')
                --parens;
            else if ((c == '+' || c == '-') && !seenNonBlank) {
                leading = c;
                seenNonBlank = true;
                continue;
            } else if ((c == '+' || c == '-') && parens <= 0 && !IsExponentSign(i, end)) {
                ops.push_back(i);
            }
            if (c != ' ')
                seenNonBlank = true;
        }
        if (ops.empty() && !leading)
            return false;
        const int32_t firstStart = leading ? start + 1 : start;
        const int32_t firstEnd = ops.empty() ? end : ops[0];
        TExtended value = Eval(firstStart, firstEnd, depth + 1).Value;
        if (leading == '-')
            value = -value;
        for (size_t k = 0; k < ops.size(); ++k) {
            const int32_t operandEnd = k + 1 < ops.size() ? ops[k + 1] : end;
            const TEvalValue operand = Eval(ops[k] + 1, operandEnd, depth + 1);
            const TExtended right = OperandValue(operand, value);
            value = Checked(FText[ops[k]] == '+' ? value + right : value - right);
        }
        result = {value, pmNone};
        return true;
    }

    // A zero-width operator: an implicit product starts at position i.
    bool IsImplicitProduct(int32_t i, int32_t end, char last) const
    {
        const char c = FText[i];
        const char before = FText[i - 1];
        if (c == '(' && (IsDigit(last) || last == ')'))
            return true;
        if (last == ')' && (IsLetter(c) || IsDigit(c) || c == '('))
            return true;
        if (IsDigit(last) && IsLetter(c)) {
            const bool exponent = (c == 'E' || c == 'e') && IsDigit(before) && end - i >= 2 &&
                                  (IsDigit(FText[i + 1]) || FText[i + 1] == '+' || FText[i + 1] == '-');
            if (!exponent)
                return true;
        }
        if (IsDigit(last) && before == ' ' && IsLetter(c))
            return true;
        if (IsLetter(last) && before == ' ' && (IsLetter(c) || IsDigit(c)))
            return true;
        return false;
    }

    static bool IsMultiplicativeSign(char c) { return c == '*' || c == '/' || c == ':' || c == MultiplyDot; }

    bool Multiplicative(int32_t start, int32_t end, int32_t depth, TEvalValue& result)
    {
        struct TOp {
            int32_t Pos;
            char Sign;  // 0: implicit product, no width
        };
        int32_t parens = 0;
        bool seenNonBlank = false;
        char leading = 0;
        char last = 0;
        std::vector<TOp> ops;
        for (int32_t i = start; i < end; ++i) {
            const char c = FText[i];
            if (IsMultiplicativeSign(c) && !seenNonBlank) {
                leading = c;
                seenNonBlank = true;
                last = c;
                continue;
            }
            if (parens <= 0 && seenNonBlank && i > start && !IsMultiplicativeSign(c) &&
                IsImplicitProduct(i, end, last))
                ops.push_back({i, 0});
            if (c == '(')
                ++parens;
            else if (c == ')')
                --parens;
            else if (IsMultiplicativeSign(c) && parens <= 0)
                ops.push_back({i, c});
            if (c != ' ') {
                seenNonBlank = true;
                last = c;
            }
        }
        if (ops.empty() && !leading)
            return false;
        const int32_t firstStart = leading ? start + 1 : start;
        const int32_t firstEnd = ops.empty() ? end : ops[0].Pos;
        TExtended value = Eval(firstStart, firstEnd, depth + 1).Value;
        if (leading == '/' || leading == ':') {
            if (value == 0)
                Fail("Division par zéro.", firstEnd, 0);
            value = Checked(1 / value);
        }
        for (size_t k = 0; k < ops.size(); ++k) {
            const int32_t operandStart = ops[k].Sign ? ops[k].Pos + 1 : ops[k].Pos;
            const int32_t operandEnd = k + 1 < ops.size() ? ops[k + 1].Pos : end;
            const TEvalValue operand = Eval(operandStart, operandEnd, depth + 1);
            const TExtended right = OperandValue(operand, value);
            if (ops[k].Sign == '/' || ops[k].Sign == ':') {
                if (right == 0) {
                    int32_t s = operandStart, e = operandEnd;
                    Trim(s, e);
                    Fail("Division par zéro.", e, 0);
                }
                value = Checked(value / right);
            } else {
                value = Checked(value * right);
            }
        }
        result = {value, pmNone};
        return true;
    }

    TExtended RaiseToPower(TExtended base, TExtended exponent)
    {
        if (exponent == 0)
            return 1;
        if (base == 0 && exponent > 0)
            return 0;
        if (exponent == std::trunc(exponent) && std::fabs(exponent) <= 2147483647.0L) {
            uint32_t n = static_cast<uint32_t>(std::fabs(exponent));
            TExtended result = 1;
            TExtended factor = base;
            while (n) {
                if (n & 1)
                    result = Checked(result * factor);
                n >>= 1;
                if (n)
                    factor = Checked(factor * factor);
            }
            return exponent < 0 ? Checked(1 / result) : result;
        }
        return Checked(std::exp(Checked(exponent * std::log(base))));
    }

    bool Power(int32_t start, int32_t end, int32_t depth, TEvalValue& result)
    {
        std::vector<int32_t> ops;
        int32_t parens = 0;
        for (int32_t i = start; i < end; ++i) {
            const char c = FText[i];
            if (c == '(')
                ++parens;
            else if (c == ')')
                --parens;
            else if (c == '^' && parens <= 0)
                ops.push_back(i);
        }
        if (ops.empty())
            return false;
        TExtended value = Eval(start, ops[0], depth + 1).Value;
        for (size_t k = 0; k < ops.size(); ++k) {
            const int32_t operandEnd = k + 1 < ops.size() ? ops[k + 1] : end;
            const TEvalValue operand = Eval(ops[k] + 1, operandEnd, depth + 1);
            const TExtended exponent = OperandValue(operand, value);
            if (value < 0 && std::fabs(exponent) < 1 && exponent != 0)
                FailRange("[0, +~)", value, start, ops[k] - start);
            value = Checked(RaiseToPower(value, exponent));
        }
        result = {value, pmNone};
        return true;
    }

    bool Postfix(int32_t start, int32_t end, int32_t depth, TEvalValue& result)
    {
        const char c = FText[end - 1];
        if (c != '%' && c != '!')
            return false;
        const TExtended value = Eval(start, end - 1, depth + 1).Value;
        if (c == '%') {
            result = {value, pmPercentage};
            return true;
        }
        if (value != std::trunc(value))
            Fail("La variable doit être un entier (valeur de la variable : " + GeneralFormat(value) + ").", start,
                 end - 1 - start);
        if (value < 0 || value > 1000)
            FailRange("[0, 1000]", value, start, end - 1 - start);
        TExtended product = 1;
        for (int32_t k = 2; k <= static_cast<int32_t>(value); ++k)
            product = Checked(product * k);
        result = {product, pmFactorial};
        return true;
    }

    int32_t LookUp(const std::string& name) const
    {
        for (int32_t k = 0; k < EvaluatorFunctionCount; ++k)
            if (SameName(name, EvaluatorFunctionNames[k]))
                return k;
        return -1;
    }

    // The literal argument of BinEnDec, OctEnDec, HexEnDec and RomainEnArabe.
    TExtended Literal(int32_t function, int32_t argStart, int32_t argEnd)
    {
        std::string text = Slice(argStart, argEnd);
        auto skipLeading = [&] {
            size_t k = 0;
            while (k < text.size() && text[k] == ' ')
                ++k;
            text.erase(0, k);
        };
        auto cutTrailing = [&] {
            while (!text.empty() && text.back() == ' ')
                text.pop_back();
        };
        skipLeading();
        if (function == 36) {
            if (!text.empty() && text[0] == '$')
                text.erase(0, 1);
            else if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
                text.erase(0, 2);
            skipLeading();
        }
        cutTrailing();
        const char suffix = function == 34 ? 'B' : function == 35 ? 'O' : function == 36 ? 'H' : 0;
        if (suffix && !text.empty() && UpperAscii(text.back()) == suffix) {
            text.pop_back();
            cutTrailing();
        }
        auto fail = [&]() {
            Fail("\"" + text + "\" n'est pas une constante valide en notation " + NumberBaseNames[function - 34] + ".",
                 argStart, argEnd - argStart);
        };
        if (text.empty())
            fail();
        try {
            switch (function) {
            case 34:
                return BinStrToInt(text);
            case 35:
                return OctStrToInt(text);
            case 36:
                return HexStrToInt(text);
            default: {
                const int32_t value = RomanToInt(text, INT32_MIN);
                if (value == INT32_MIN)
                    fail();
                return value;
            }
            }
        } catch (const Exception&) {
        }
        fail();
        return 0;
    }

    void RequireInteger(TExtended x, int32_t pos, int32_t length)
    {
        if (x != std::trunc(x))
            Fail("La variable doit être un entier (valeur de la variable : " + GeneralFormat(x) + ").", pos, length);
    }

    void Require32Bit(TExtended x, int32_t pos, int32_t length)
    {
        if (x < -2147483648.0L || x > 2147483647.0L)
            FailRange("[-2147483648, 2147483647]", x, pos, length);
    }

    TExtended Compute(int32_t function, TExtended x, int32_t pos, int32_t length)
    {
        switch (function) {
        case 0:
            return x;
        case 1:
            return std::fabs(x) >= 9223372036854775808.0L ? 0 : std::cos(x);
        case 2:
            return std::fabs(x) >= 9223372036854775808.0L ? 0 : std::sin(x);
        case 3:
        case 4:
            return std::tan(x);
        case 5:
        case 6:
        case 7:
            if (x == 0)
                FailRange("(-~, 0)U(0, +~)", x, pos, length);
            return 1 / std::tan(x);
        case 8:
        case 9:
            if (std::fabs(x) > 1)
                FailRange("[-1, 1]", x, pos, length);
            return std::acos(x);
        case 10:
        case 11:
            if (std::fabs(x) > 1)
                FailRange("[-1, 1]", x, pos, length);
            return std::asin(x);
        case 12:
        case 13:
        case 14:
            return std::atan(x);
        case 15:
            return std::cosh(x);
        case 16:
            return std::sinh(x);
        case 17:
        case 18:
            return std::tanh(x);
        case 19:
            if (x < 1)
                FailRange("[1, +~)", x, pos, length);
            return std::acosh(x);
        case 20:
            return std::asinh(x);
        case 21:
        case 22:
            if (std::fabs(x) > 1)
                FailRange("[-1, 1]", x, pos, length);
            return std::atanh(x);
        case 23:
        case 24:
        case 25:
            if (x <= 0)
                FailRange("(0, +~)", x, pos, length);
            return function == 23 ? std::log(x) : function == 24 ? std::log10(x) : std::log2(x);
        case 26:
            return std::exp(x);
        case 27:
            if (x < 0)
                FailRange("[0, +~)", x, pos, length);
            return std::sqrt(x);
        case 28:
            return std::fabs(x);
        case 29:
            Require32Bit(x, pos, length);
            return std::trunc(x);
        case 30:
            Require32Bit(x, pos, length);
            // Halves go to the even neighbour (the default rounding mode).
            return std::nearbyint(x);
        case 31:
            return x - std::trunc(x);
        case 32:
            return x * EvaluatorPi / 180;
        case 33:
            return x * 180 / EvaluatorPi;
        case 38:
        case 39:
        case 40: {
            RequireInteger(x, pos, length);
            Require32Bit(x, pos, length);
            const int32_t n = static_cast<int32_t>(x);
            FTextResult = function == 38 ? IntToBinStr(n) : function == 39 ? IntToOctStr(n) : IntToHexStr(n);
            return x;
        }
        case 41:
            if (x <= 0 || x != std::trunc(x))
                Fail("la variable doit être un entier positif (valeur de la variable : " + GeneralFormat(x) + ").",
                     pos, length);
            if (x > 10000000)
                FailRange("[1, 10000000]", x, pos, length);
            FTextResult = IntToRoman(static_cast<int32_t>(x));
            return x;
        case FahrEnCels:
            return (x - 32) * 5 / 9;
        case CelsEnFahr:
            return x * 1.8L + 32;
        default: {
            const TUnitConversion& unit = UnitConversions[function - FirstUnitFunction];
            return unit.Reciprocal ? x * (1 / unit.Factor) : x * unit.Factor;
        }
        }
    }

    std::string FTextResult;

    TEvalValue Primary(int32_t start, int32_t end, int32_t depth)
    {
        int32_t open = start;
        while (open < end && FText[open] != '(')
            ++open;
        int32_t nameEnd = open;
        while (nameEnd > start && FText[nameEnd - 1] == ' ')
            --nameEnd;
        const std::string name = Slice(start, nameEnd);
        if (open == end)
            return {Constant(name, start, nameEnd), pmNone};

        if (FText[end - 1] != ')')
            Fail("Parenthèse fermante \")\" manquante.", end, 0);
        const int32_t argStart = open + 1;
        const int32_t argEnd = end - 1;
        const int32_t literal = LookUp(name);
        if (literal >= 34 && literal <= 37)
            return {Literal(literal, argStart, argEnd), pmNone};

        const TExtended argument = Eval(argStart, argEnd, depth + 1).Value;
        const int32_t function = LookUp(name);
        if (function < 0)
            Fail("Fonction inconnue \"" + ShownName(name) + "\".", start, nameEnd - start);
        const bool textual = function >= 38 && function <= 41;
        if (textual && depth > 0)
            Fail("La fonction " + name +
                     " ne peut pas être utilisée comme paramètre d'une autre fonction ou comme opérande d'une "
                     "opération.",
                 start, nameEnd - start);
        FTextResult.clear();
        int32_t argPos = argStart, argLast = argEnd;
        Trim(argPos, argLast);
        const TExtended value = Checked(Compute(function, argument, argPos, argLast - argPos));
        if (textual) {
            FTopIsText = true;
            FTopText = FTextResult;
        }
        return {value, pmNone};
    }

    TExtended Constant(const std::string& name, int32_t start, int32_t end)
    {
        if (SameName(name, "Pi"))
            return EvaluatorPi;
        if (SameName(name, "E"))
            return EvaluatorE;
        // Optional sign, digits with one decimal separator ("," or "."), an
        // optional exponent.
        std::string number;
        size_t k = 0;
        bool digits = false;
        bool separator = false;
        if (k < name.size() && (name[k] == '+' || name[k] == '-'))
            number += name[k++];
        for (; k < name.size(); ++k) {
            const char c = name[k];
            if (IsDigit(c)) {
                digits = true;
                number += c;
            } else if ((c == ',' || c == '.') && !separator) {
                separator = true;
                number += '.';
            } else {
                break;
            }
        }
        bool valid = digits;
        if (valid && k < name.size()) {
            valid = name[k] == 'E' || name[k] == 'e';
            number += 'e';
            ++k;
            if (k < name.size() && (name[k] == '+' || name[k] == '-'))
                number += name[k++];
            const size_t expStart = k;
            while (k < name.size() && IsDigit(name[k]))
                number += name[k++];
            valid = valid && k > expStart && k == name.size();
        }
        if (!valid)
            Fail("Constante inconnue \"" + ShownName(name) + "\".", start, end - start);
        return Checked(std::strtold(number.c_str(), nullptr));
    }
};

}  // namespace

void EvaluateExpression(const char* text, int32_t length, bool silent, TExpressionEvaluationResult& result)
{
    result.Success = 0;
    result.IsText = 0;
    result.Text.clear();
    result.ErrorMessage.clear();
    result.ErrorPos = 0;
    result.ErrorLength = length;
    if (length < 0 || (!text && length > 0)) {
        result.ErrorLength = 0;
        result.ErrorMessage = "Expression manquante.";
    } else {
        std::fenv_t saved;
        std::feholdexcept(&saved);
        TEvaluator evaluator(text, length);
        try {
            const TEvalValue value = evaluator.Evaluate();
            result.Success = 1;
            result.Value = value.Value;
            if (evaluator.TopIsText()) {
                result.IsText = 1;
                result.Text = evaluator.TopText();
            }
        } catch (const TEvalFailure& failure) {
            result.ErrorMessage = failure.Message;
            if (failure.Pos >= 0) {
                result.ErrorPos = failure.Pos;
                result.ErrorLength = failure.Length;
            }
        } catch (const std::bad_alloc&) {
            result.ErrorMessage = "Dépassement de capacité mémoire.";
        }
        std::feclearexcept(FE_ALL_EXCEPT);
        std::fesetenv(&saved);
    }
    if (!result.Success && !silent)
        ShowError("Erreur lors du calcul : " + result.ErrorMessage);
}

std::string FormatEvaluationResult(TExtended value, const TEvaluatorDisplay& display)
{
    const int32_t before = std::clamp(display.DigitsBeforePoint, 1, 18);
    const int32_t after = std::clamp(display.DigitsAfterPoint, 1, 18);
    const char separator = FormatSettings().DecimalSeparator;
    char buffer[128];
    if (std::fabs(value) < std::pow(10.0L, before)) {
        std::snprintf(buffer, sizeof buffer, "%.*Lf", static_cast<int>(after), value);
        std::string text = buffer;
        for (char& c : text)
            if (c == '.')
                c = separator;
        while (!text.empty() && text.back() == '0')
            text.pop_back();
        if (!text.empty() && !IsDigit(text.back()) && text.back() != '-')
            text.pop_back();
        // "-0" of a tiny negative value is "0".
        if (text == "-0" || text == "-")
            text = "0";
        return text;
    }
    std::snprintf(buffer, sizeof buffer, "%.*LE", static_cast<int>(after), value);
    std::string text = buffer;
    for (char& c : text)
        if (c == '.')
            c = separator;
    return text;
}
