#include "foundation/managers/MeasurementsManager.h"

#include "foundation/managers/SharedManagersHost.h"
#include "platform/runtime/SysUtils.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The options' unit as a test sets it.
class TUnitHost : public TSharedManagersHost {
public:
    explicit TUnitHost(uint8_t unit) : Unit(unit), FPrevious(SetSharedManagersHost(this)) {}
    ~TUnitHost() override { SetSharedManagersHost(FPrevious); }
    uint8_t MeasurementUnit() override { return Unit; }
    uint8_t Unit;

private:
    TSharedManagersHost* FPrevious;
};

}  // namespace

TEST(MeasurementsTest, FormatsLengthsWithFrenchDecimalCommas)
{
    ASSERT_EQ(FormatSettings().DecimalSeparator, ',');
    struct TCase {
        uint8_t Unit;
        int32_t Twips;
        int32_t Hundredths;
        const char* Text;
    };
    const TCase cases[] = {
        {muCentimeter, 1440, 254, "2,54 cm"},
        {muInch, 1440, 100, "1\""},
        {muPoint, 1440, 7200, "72 pt"},
        {muPica, 1440, 600, "6 pi"},
        {muMillimeter, 1440, 2540, "25 mm"},  // 25,4 goes to 25
        {muCentimeter, 0, 0, "0 cm"},
        {muInch, 0, 0, "0\""},
        {muPoint, 0, 0, "0 pt"},
        {muPica, 0, 0, "0 pi"},
        {muMillimeter, 0, 0, "0 mm"},
        {muCentimeter, 567, 100, "1 cm"},
        {muCentimeter, 850, 150, "1,5 cm"},     // one decimal when the second is 0
        {muInch, -720, -50, "-0,5\""},          // a hanging indent
        {muPoint, 30, 150, "2 pt"},             // 1,5 pt: halves go to the even neighbour
        {muPoint, 50, 250, "2 pt"},             // 2,5 pt
        {muPoint, 70, 350, "4 pt"},             // 3,5 pt
        {muPoint, 31, 160, "2 pt"},
        {muMillimeter, 85, 150, "2 mm"},        // 1,5 mm
        {muMillimeter, -85, -150, "-2 mm"},
        {9, 1440, 2540, "25 mm"},               // an unknown unit behaves as millimetres
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(TwipsToUnits(c.Unit, c.Twips), c.Hundredths) << int(c.Unit) << " " << c.Twips;
        EXPECT_EQ(FormatTwipsIn(c.Unit, c.Twips), c.Text) << int(c.Unit) << " " << c.Twips;
    }
}

TEST(MeasurementsTest, HundredthsToTwipsRoundToNearest)
{
    struct TCase {
        uint8_t Unit;
        int32_t Hundredths;
        int32_t Twips;
    };
    const TCase cases[] = {
        {muCentimeter, 254, 1440}, {muCentimeter, 100, 567}, {muCentimeter, -254, -1440},
        {muInch, 100, 1440},       {muInch, 1, 14},          {muPoint, 7200, 1440},
        {muPoint, 150, 30},        {muPica, 600, 1440},      {muMillimeter, 2540, 1440},
        {muMillimeter, 10, 6},     {muMillimeter, -10, -6},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(UnitsToTwips(c.Unit, c.Hundredths), c.Twips) << int(c.Unit) << " " << c.Hundredths;
}

TEST(MeasurementsTest, ManagerFollowsTheOptionsUnit)
{
    TMeasurementsManager manager;
    EXPECT_EQ(manager.CurrentUnit(), muCentimeter);  // the factory unit without a shell
    TUnitHost host(muInch);
    EXPECT_EQ(manager.FormatTwips(2160), "1,5\"");
    EXPECT_EQ(manager.GetUnitSuffix(), "\"");
    host.Unit = muPica;
    EXPECT_EQ(manager.TwipsToUnits(1440), 600);
    EXPECT_EQ(manager.UnitsToTwips(600), 1440);
    EXPECT_EQ(manager.FormatTwips(1440), "6 pi");
}

TEST(MeasurementsTest, GlobalInstanceLivesBetweenCreateAndFree)
{
    EXPECT_EQ(GetMeasurementsManager(), nullptr);
    CreateMeasurementsManager();
    ASSERT_NE(GetMeasurementsManager(), nullptr);
    EXPECT_EQ(GetMeasurementsManager()->FormatTwips(1440), "2,54 cm");
    FreeMeasurementsManager();
    EXPECT_EQ(GetMeasurementsManager(), nullptr);
    FreeMeasurementsManager();  // freeing what is not there does nothing
}
