#include "document/calc/Evaluator.h"
#include "foundation/MessageAnswers.h"
#include "platform/runtime/SysUtils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

TExpressionEvaluationResult Eval(const std::string& text)
{
    TExpressionEvaluationResult result;
    EvaluateExpression(text.data(), static_cast<int32_t>(text.size()), true, result);
    return result;
}

// The evaluator reads both separators whatever the locale; results are shown
// with the locale's, which the tests fix at ",".
class EvaluatorTest : public testing::Test {
protected:
    void SetUp() override
    {
        FSaved = FormatSettings().DecimalSeparator;
        FormatSettings().DecimalSeparator = ',';
    }
    void TearDown() override { FormatSettings().DecimalSeparator = FSaved; }

private:
    char FSaved = ',';
};

struct TValueCase {
    const char* Expression;
    long double Value;
};

TEST_F(EvaluatorTest, ValuesOfOperatorsFunctionsAndNotations)
{
    const long double pi = EvaluatorPi;
    const TValueCase cases[] = {
        // Precedence, associativity, signs.
        {"10-4-3", 3},
        {"2*(-3)", -6},
        {"2^(-1)", 0.5L},
        {"-2^2", -4},
        {"2^3^2", 64},
        {"3!^2", 36},
        {"-3!", -6},
        {"3!!", 720},
        {"0!", 1},
        {"1!", 1},
        {"2,5 * (3 + sin(pi/6))^2", 2.5L * 3.5L * 3.5L},
        // Both decimal separators, exponents, implicit products, constants.
        {"1,5+1.5", 3},
        {"1E3+1", 1001},
        {"1e-3*1000", 1},
        {"2e", 2 * EvaluatorE},
        {"2pi", 2 * pi},
        {"2 pi", 2 * pi},
        {"pi 2", 2 * pi},
        {"2(3)", 6},
        {"(1+2)(3+4)", 21},
        {"(1+2)2", 6},
        {"PI", pi},
        {"pi", pi},
        {"Pi", pi},
        {"E", 2.71828182845L},
        {"SIN(0)", 0},
        {"(5)", 5},
        {"  7  ", 7},
        // The French signs.
        {"6:4", 1.5L},
        {"3\xB7" "4", 12},
        {"/4", 0.25L},
        // Percentages.
        {"200 + 5%", 210},
        {"200 - 5%", 190},
        {"200 * 5%", 2000},
        {"200 / 50%", 2},
        {"50%", 50},
        // Functions.
        {"sqrt(16)", 4},
        {"abs(-3)", 3},
        {"trunc(-2,7)", -2},
        {"round(2,5)", 2},
        {"round(3,5)", 4},
        {"frac(2,25)", 0.25L},
        {"lg(1000)", 3},
        {"logb(8)", 3},
        {"ln(1)", 0},
        {"DegEnRad(180)", pi},
        {"cos(2^64)", 0},
        // Literal notations.
        {"HexEnDec(0x1F)", 31},
        {"HexEnDec($1f)", 31},
        {"HexEnDec(1Fh)", 31},
        {"BinEnDec(101b)", 5},
        {"OctEnDec(17o)", 15},
        {"RomainEnArabe(xiv)", 14},
        // Unit conversions and their odd factors.
        {"PiedEnMetre(3,28)", 1},
        {"PiedEnMetre(1)", 1 / 3.28L},
        {"KmEnYard(1)", 1094},
        {"FahrEnCels(212)", 100},
        {"CelsEnFahr(100)", 212},
        {"MetreEnPouce(1)", 39.37L},
        {"PouceEnCm(1)", 2.54L},
    };
    for (const TValueCase& c : cases) {
        SCOPED_TRACE(c.Expression);
        const TExpressionEvaluationResult r = Eval(c.Expression);
        ASSERT_EQ(r.Success, 1) << r.ErrorMessage;
        EXPECT_NEAR(static_cast<double>(r.Value), static_cast<double>(c.Value),
                    1e-12 * std::max(1.0, std::fabs(static_cast<double>(c.Value))));
        EXPECT_EQ(r.IsText, 0);
    }
}

struct TErrorCase {
    const char* Expression;
    const char* Message;
    int32_t Pos;
    int32_t Length;
};

TEST_F(EvaluatorTest, ErrorsNameTheirMessageAndSpan)
{
    const TErrorCase cases[] = {
        {"", "Expression manquante.", 0, 0},
        {"2*-3", "Expression manquante.", 2, 0},
        {"2^-1", "Expression manquante.", 2, 0},
        {"1+", "Expression manquante.", 2, 0},
        {"1/0", "Division par zéro.", 3, 0},
        {"2/(1-1) + 1", "Division par zéro.", 7, 0},
        {"2 3", "Constante inconnue \"2 3\".", 0, 3},
        {"sin 30", "Constante inconnue \"sin\".", 0, 3},
        {"foo(2)", "Fonction inconnue \"foo\".", 0, 3},
        {"sin(2", "Parenthèse fermante \")\" manquante.", 5, 0},
        {"sqrt(-1)", "La plage des valeurs pour la variable est de [0, +~) (valeur de la variable : -1).", 5, 2},
        {"ln(0)", "La plage des valeurs pour la variable est de (0, +~) (valeur de la variable : 0).", 3, 1},
        {"cot(0)", "La plage des valeurs pour la variable est de (-~, 0)U(0, +~) (valeur de la variable : 0).", 4,
         1},
        {"acos(2)", "La plage des valeurs pour la variable est de [-1, 1] (valeur de la variable : 2).", 5, 1},
        {"arccosh(0)", "La plage des valeurs pour la variable est de [1, +~) (valeur de la variable : 0).", 8, 1},
        {"1001!", "La plage des valeurs pour la variable est de [0, 1000] (valeur de la variable : 1001).", 0, 4},
        {"2,5!", "La variable doit être un entier (valeur de la variable : 2,5).", 0, 3},
        {"(0-8)^(1/3)", "La plage des valeurs pour la variable est de [0, +~) (valeur de la variable : -8).", 0, 5},
        {"trunc(3E9)", "La plage des valeurs pour la variable est de [-2147483648, 2147483647] (valeur de la "
                       "variable : 3000000000).",
         6, 3},
        {"DecEnBin(2,5)", "La variable doit être un entier (valeur de la variable : 2,5).", 9, 3},
        {"ArabeEnRomain(0)", "la variable doit être un entier positif (valeur de la variable : 0).", 14, 1},
        {"DecEnHex(255)+1",
         "La fonction DecEnHex ne peut pas être utilisée comme paramètre d'une autre fonction ou comme opérande "
         "d'une opération.",
         0, 8},
        {"HexEnDec(1G)", "\"1G\" n'est pas une constante valide en notation hexadécimale.", 9, 2},
        {"BinEnDec(102)", "\"102\" n'est pas une constante valide en notation binaire.", 9, 3},
        {"RomainEnArabe(xq)", "\"xq\" n'est pas une constante valide en notation romaine.", 14, 2},
        {"exp(100000)", "Dépassement de capacité.", 0, 11},
        {"10^100000", "Dépassement de capacité.", 0, 9},
        {"(0-2)^1,5", "Type d'erreur inconnu.", 0, 9},
    };
    for (const TErrorCase& c : cases) {
        SCOPED_TRACE(c.Expression);
        const TExpressionEvaluationResult r = Eval(c.Expression);
        ASSERT_EQ(r.Success, 0);
        EXPECT_EQ(r.ErrorMessage, c.Message);
        EXPECT_EQ(r.ErrorPos, c.Pos);
        EXPECT_EQ(r.ErrorLength, c.Length);
    }
}

TEST_F(EvaluatorTest, LongNamesAreCutInMessages)
{
    const std::string name(100, 'x');
    const TExpressionEvaluationResult r = Eval(name);
    EXPECT_EQ(r.ErrorMessage, "Constante inconnue \"" + std::string(64, 'x') + "...\".");
    EXPECT_EQ(r.ErrorLength, 100);
}

TEST_F(EvaluatorTest, DeepNestingIsAnErrorNotACrash)
{
    const std::string deep = std::string(100000, '(') + "1" + std::string(100000, ')');
    const TExpressionEvaluationResult r = Eval(deep);
    EXPECT_EQ(r.Success, 0);
    EXPECT_EQ(r.ErrorMessage, "Dépassement de capacité mémoire.");
    EXPECT_EQ(r.ErrorPos, 0);
    EXPECT_EQ(r.ErrorLength, static_cast<int32_t>(deep.size()));

    // A long flat chain is no nesting.
    std::string chain = "1";
    for (int i = 0; i < 5000; ++i)
        chain += "+1";
    EXPECT_EQ(Eval(chain).Value, 5001);
}

TEST_F(EvaluatorTest, TextualFunctionsAsTheWholeExpression)
{
    const struct {
        const char* Expression;
        const char* Text;
        long double Value;
    } cases[] = {
        {"DecEnHex(255)", "FF", 255},
        {" DecEnBin(5) ", "101", 5},
        {"DecEnOct(8)", "10", 8},
        {"ArabeEnRomain(1994)", "MCMXCIV", 1994},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Expression);
        const TExpressionEvaluationResult r = Eval(c.Expression);
        ASSERT_EQ(r.Success, 1) << r.ErrorMessage;
        EXPECT_EQ(r.IsText, 1);
        EXPECT_EQ(r.Text, c.Text);
        EXPECT_EQ(r.Value, c.Value);
    }
}

TEST_F(EvaluatorTest, ErrorsAreShownUnlessSilent)
{
    TMessageAnswers answers;
    answers.Expect("Erreur lors du calcul : Division par zéro.", mrOk);
    TExpressionEvaluationResult r;
    EvaluateExpression("1/0", 3, false, r);
    EXPECT_EQ(r.Success, 0);
}

TEST_F(EvaluatorTest, FormattedResults)
{
    const struct {
        long double Value;
        int32_t Before, After;
        const char* Text;
    } cases[] = {
        {1.0L / 3, 10, 6, "0,333333"},
        {2.5L, 10, 6, "2,5"},
        {3, 10, 6, "3"},
        {-0.25L, 10, 6, "-0,25"},
        {-0.0000001L, 10, 6, "0"},
        {100, 10, 6, "100"},
        {12345678901.0L, 10, 6, "1,234568E+10"},
        {2.0L / 3, 10, 2, "0,67"},
        {1234, 3, 2, "1,23E+03"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        EXPECT_EQ(FormatEvaluationResult(c.Value, {c.Before, c.After}), c.Text);
    }
}

TEST(EvaluatorTableTest, NamesAndDescriptions)
{
    EXPECT_STREQ(EvaluatorFunctionNames[0], "");
    EXPECT_STREQ(EvaluatorFunctionNames[41], "ArabeEnRomain");
    EXPECT_STREQ(EvaluatorFunctionNames[97], "HectEnAcre");
    EXPECT_EQ(EvaluatorFunctionDescription(0), "");
    EXPECT_EQ(EvaluatorFunctionDescription(98), "");
    EXPECT_EQ(EvaluatorFunctionDescription(94), "convertit les degrés Fahrenheit en degrés centigrades (Celsius)");
    // Every conversion's description reads "convertit les <unit> en <unit>"
    // with the units of its name.
    const struct {
        const char* Abbrev;
        const char* Word;
    } units[] = {{"Cm", "centimètres"},      {"Pouce", "pouces anglais"},
                 {"Pied", "pieds anglais"},  {"Yard", "yards anglais"},
                 {"Metre", "mètres"},        {"Km", "kilomètres"},
                 {"Mile", "miles internationaux"}, {"Gram", "grammes"},
                 {"Once", "onces anglaises"}, {"Livre", "livres anglaises"},
                 {"Kg", "kilogrammes"},      {"Tonne", "tonnes"},
                 {"Pinte", "pintes britanniques"}, {"Litre", "litres"},
                 {"Gallon", "gallons britanniques"}, {"Fahr", "degrés Fahrenheit"},
                 {"Cels", "degrés centigrades (Celsius)"}, {"Acre", "acres"},
                 {"Hect", "hectares"}};
    auto word = [&](const std::string& abbrev) -> std::string {
        for (const auto& u : units)
            if (abbrev == u.Abbrev)
                return u.Word;
        return "?";
    };
    for (int32_t i = 42; i < EvaluatorFunctionCount; ++i) {
        const std::string name = EvaluatorFunctionNames[i];
        const size_t en = name.find("En", 1);
        ASSERT_NE(en, std::string::npos) << name;
        EXPECT_EQ(EvaluatorFunctionDescription(i),
                  "convertit les " + word(name.substr(0, en)) + " en " + word(name.substr(en + 2)))
            << name;
    }
}

}  // namespace
