#pragma once
// The expression evaluator: turns a piece of document text such as
// "2,5 * (3 + sin(pi/6))^2" or "CmEnPouce(12)" into a number. A small
// recursive-descent calculator over 8-bit text with French conventions: "," and
// "." both separate decimals, "·" multiplies like "*", ":" divides like "/", a
// trailing "%" makes a percentage and a trailing "!" a factorial. Every failure
// becomes a French message and a span of the expression to select; nothing
// escapes as an exception.
#include <cstdint>
#include <string>

// Numbers are extended precision (the 80-bit format) throughout.
using TExtended = long double;

struct TExpressionEvaluationResult {
    uint8_t Success = 0;
    TExtended Value = 0;
    // 1 when the whole expression was one of the four textual functions
    // (DecEnBin, DecEnOct, DecEnHex, ArabeEnRomain); Text holds what to show.
    uint8_t IsText = 0;
    std::string Text;
    // After an error: the span of the expression to show (0-based offset,
    // length 0 marking a point).
    int32_t ErrorPos = 0;
    int32_t ErrorLength = 0;
    // After an error: the message, without the "Erreur lors du calcul" frame.
    std::string ErrorMessage;
};

// The display settings of results: digits before the point that still use
// fixed notation (1..18) and digits after it (1..18).
struct TEvaluatorDisplay {
    int32_t DigitsBeforePoint = 10;
    int32_t DigitsAfterPoint = 6;
};

// Evaluates the whole text (length bytes, not zero-terminated). Never raises.
// On failure, unless silent, shows "Erreur lors du calcul : %s".
void EvaluateExpression(const char* text, int32_t length, bool silent, TExpressionEvaluationResult& result);

// The display text of a value: fixed notation with the digits after the point
// and trailing zeros cut while the magnitude is below 10^DigitsBeforePoint,
// scientific notation otherwise; the locale's decimal separator.
std::string FormatEvaluationResult(TExtended value, const TEvaluatorDisplay& display = {});

// The function table: names by index 0..97 (0 is the empty name, a bare pair
// of parentheses) and the one-line description of functions 1..97.
constexpr int32_t EvaluatorFunctionCount = 98;
extern const char* const EvaluatorFunctionNames[EvaluatorFunctionCount];
// By function index - 1 (several functions share a text).
extern const char* const EvaluatorFunctionDescriptions[EvaluatorFunctionCount - 1];
// The description of function 1..97; empty for any other index.
std::string EvaluatorFunctionDescription(int32_t index);

// The two named constants.
constexpr TExtended EvaluatorPi = 3.14159265358979323846264338327950288L;
constexpr TExtended EvaluatorE = 2.71828182845L;

// What a quiet calculation (the block-selection sum) hands back.
struct TCalculationOutput {
    TExtended Value = 0;
    uint8_t Success = 0;
};
