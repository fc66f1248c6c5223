#include "configdll6619.h"

#include <QtTest>

#include <cstring>
#include <vector>

// The library keeps one chip per process, so every case starts with iniDLL6619.

class TestChipLib : public QObject
{
    Q_OBJECT
private slots:
    void callsBeforeInitAreRefused()
    {
        int value = -1;
        QCOMPARE(GetScanNum6619(&value), CONFIGERR_NOT_INIT_6619);
        QCOMPARE(value, -1);
        unsigned char byte = 0;
        QCOMPARE(loadConfigBuffer6619(&byte, 1), CONFIGERR_NOT_INIT_6619);
    }

    void initSelectsKnownChipsOnly()
    {
        QCOMPARE(iniDLL6619(26), CONFIGERR_NOT_SUPPORT_6619);
        QCOMPARE(iniDLL6619(6), CONFIGERR_OK_6619);
        int mode = -1;
        QCOMPARE(GetChipMode(&mode), CONFIGERR_OK_6619);
        QCOMPARE(mode, 6);
        // Chip-specific calls answer "not supported" on other chips.
        QCOMPARE(SetUnitNum9961(64), CONFIGERR_NOT_SUPPORT_6619);
        QCOMPARE(iniDLL6619(5), CONFIGERR_OK_6619);
        QCOMPARE(SetUnitNum9961(64), CONFIGERR_OK_6619);
        QCOMPARE(GetChipMode(nullptr), CONFIGERR_NULL_POINTER_6619);
    }

    void settersRoundTripAndRejectOutOfRange()
    {
        QCOMPARE(iniDLL6619(4), CONFIGERR_OK_6619);
        int scan = 0;
        QCOMPARE(SetScanNum6619(32), CONFIGERR_OK_6619);
        GetScanNum6619(&scan);
        QCOMPARE(scan, 32);
        QCOMPARE(SetScanNum6619(65), CONFIGERR_INVALID_PARA_6619);
        GetScanNum6619(&scan);
        QCOMPARE(scan, 32);

        // Per-colour values land on their own colour only.
        QCOMPARE(SetCurrent6619(1, 200), CONFIGERR_OK_6619);
        int r = 0, g = 0, b = 0;
        GetCurrent6619(&r, &g, &b);
        QVERIFY(g == 200 && r != 200 && b != 200);
        // NaN is refused; signed grey biases survive.
        QCOMPARE(SetGammaPara(qQNaN()), CONFIGERR_INVALID_PARA_6619);
        QCOMPARE(SetError(0, 2, -1.5, 0.25, 3.0, -0.75), CONFIGERR_OK_6619);
        double low, mid, high, bias;
        QCOMPARE(GetError(2, &low, &mid, &high, &bias), CONFIGERR_OK_6619);
        QCOMPARE(bias, -0.75);
        // One bad value rejects the whole set.
        QCOMPARE(SetError(0, 2, 0.0, 0.0, 0.0, 99.0), CONFIGERR_INVALID_PARA_6619);
        GetError(2, &low, &mid, &high, &bias);
        QCOMPARE(low, -1.5);

        // Shift clock accepts list entries only.
        QCOMPARE(SetShiftClock6619(20.0), CONFIGERR_OK_6619);
        QCOMPARE(SetShiftClock6619(19.0), CONFIGERR_INVALID_PARA_6619);

        // The published range is the one the setters enforce (index 0: scan count).
        int mins[LS_RANGE_COUNT], maxs[LS_RANGE_COUNT];
        QCOMPARE(GetRange(mins, maxs, LS_RANGE_COUNT), CONFIGERR_OK_6619);
        QCOMPARE(SetScanNum6619(maxs[0]), CONFIGERR_OK_6619);
        QCOMPARE(SetScanNum6619(mins[0] - 1), CONFIGERR_INVALID_PARA_6619);
    }

    void registerImageRoundTripsAndDrivesTheGetters()
    {
        QCOMPARE(iniDLL6619(4), CONFIGERR_OK_6619);
        const unsigned char image[] = {0x34, 0x12, 0xCD, 0xAB};
        QCOMPARE(loadConfigBuffer6619(image, 4), CONFIGERR_OK_6619);
        unsigned char back[4] = {};
        QCOMPARE(getConfigBuffer6619(back, 4), CONFIGERR_OK_6619);
        QCOMPARE(std::memcmp(image, back, 4), 0);

        // A setter changes the image that is read back.
        QCOMPARE(SetShiftLen6619(0x0102), CONFIGERR_OK_6619);
        getConfigBuffer6619(back, 2);
        QCOMPARE(back[0], (unsigned char)0x02);
        QCOMPARE(back[1], (unsigned char)0x01);

        // A whole image of wild words never makes a list getter read out of its list.
        std::vector<unsigned char> wild(LS_CONFIG_IMAGE_SIZE, 0xFF);
        QCOMPARE(loadConfigBuffer6619(wild.data(), int(wild.size())), CONFIGERR_OK_6619);
        int values[LS_LIST_MAX], current = 0, count = 0;
        QCOMPARE(GetRefreshRateList6619(values, LS_LIST_MAX, &current, &count), CONFIGERR_OK_6619);
        QCOMPARE(current, values[count - 1]);
        double shiftClock = 0;
        QCOMPARE(GetShiftClock6619(&shiftClock), CONFIGERR_OK_6619);
        QCOMPARE(shiftClock, 25.0);
    }

    void imageLengthsAreChecked()
    {
        QCOMPARE(iniDLL6619(4), CONFIGERR_OK_6619);
        std::vector<unsigned char> big(LS_CONFIG_IMAGE_SIZE + 1, 0);
        QCOMPARE(loadConfigBuffer6619(big.data(), int(big.size())), CONFIGERR_BUFFER_SIZE_6619);
        QCOMPARE(loadConfigBuffer6619(nullptr, 4), CONFIGERR_NULL_POINTER_6619);
        // Undersized caller arrays are not written.
        int values[3] = {-7, -7, -7};
        int current = -7, count = -7;
        QCOMPARE(GetRefreshRateList6619(values, 3, &current, &count), CONFIGERR_BUFFER_SIZE_6619);
        QCOMPARE(values[0], -7);
        QCOMPARE(count, -7);
        int l0, l1, l2, l3;
        GetGenParamBufLen6619(&l0, &l1, &l2, &l3);
        std::vector<unsigned char> blocks(size_t(l0 + l1 + l2 + l3) - 1);
        QCOMPARE(GetGenParamToBuf6619(blocks.data(), int(blocks.size())),
                 CONFIGERR_BUFFER_SIZE_6619);
    }

    void listsFollowTheFieldFrequency()
    {
        QCOMPARE(iniDLL6619(8), CONFIGERR_OK_6619);
        QCOMPARE(SetFieldFrequence6619(50), CONFIGERR_OK_6619);
        int values[LS_LIST_MAX], current = 0, count = 0;
        QCOMPARE(GetRefreshRateList6619(values, LS_LIST_MAX, &current, &count), CONFIGERR_OK_6619);
        QCOMPARE(count, 6);
        QCOMPARE(values[5], 3200);
        QCOMPARE(SetRefreshRate6619(1200), CONFIGERR_OK_6619);
        QCOMPARE(SetRefreshRate6619(1000), CONFIGERR_INVALID_PARA_6619);
        // The selection is kept as a list position: it moves with the field frequency.
        SetFieldFrequence6619(60);
        GetRefreshRateList6619(values, LS_LIST_MAX, &current, &count);
        QCOMPARE(current, 1440);
    }

    void gammaTableFollowsItsFormula()
    {
        QCOMPARE(iniDLL6619(4), CONFIGERR_OK_6619);
        unsigned short table[LS_GAMMA_TABLE_SIZE];
        QCOMPARE(CreateGammaTable6619(1, 0, 65535, 1.0, 0, 1, 100, table, LS_GAMMA_TABLE_SIZE),
                 CONFIGERR_OK_6619);
        QCOMPARE(int(table[51]), 13107); // linear: 65535 * 51 / 255

        QCOMPARE(CreateGammaTable6619(4, 10, 1010, 2.2, 0, 1, 50, table, LS_GAMMA_TABLE_SIZE),
                 CONFIGERR_OK_6619);
        QCOMPARE(int(table[0]), 8);     // 10 rounded down to a multiple of 4
        QCOMPARE(int(table[255]), 508); // 10 + 1000 * 50 % = 510 -> 508
        for (int i = 1; i < LS_GAMMA_TABLE_SIZE; ++i) {
            QVERIFY(table[i] >= table[i - 1]);
            QCOMPARE(table[i] % 4, 0);
        }
        QCOMPARE(CreateGammaTable6619(1, 0, 100, 0.0, 0, 1, 100, table, LS_GAMMA_TABLE_SIZE),
                 CONFIGERR_INVALID_PARA_6619);
        QCOMPARE(CreateGammaTable6619(1, 0, 100, 2.2, 0, 1, 100, table, 255),
                 CONFIGERR_BUFFER_SIZE_6619);
        QCOMPARE(CreateGammaTable6619(1, 0, 100, 2.2, 0, 1, 100, nullptr, 256),
                 CONFIGERR_NULL_POINTER_6619);
    }

    void generatedBlocksHaveTheReportedLayout()
    {
        QCOMPARE(iniDLL6619(4), CONFIGERR_OK_6619);
        SetScanNum6619(8);
        int l0, l1, l2, l3;
        QCOMPARE(GetGenParamBufLen6619(&l0, &l1, &l2, &l3), CONFIGERR_OK_6619);
        int bits, subFrames, third;
        QCOMPARE(GetBitsSubFrameNum(&bits, &subFrames, &third), CONFIGERR_OK_6619);
        QCOMPARE(l3, 4 * subFrames);
        std::vector<unsigned char> blocks(size_t(l0 + l1 + l2 + l3));
        QCOMPARE(GetGenParamToBuf6619(blocks.data(), int(blocks.size())), CONFIGERR_OK_6619);
        std::vector<unsigned char> image(static_cast<size_t>(l0));
        getConfigBuffer6619(image.data(), l0);
        QVERIFY(std::equal(image.begin(), image.end(), blocks.begin()));
        // row order: 0..7 as 16-bit words
        QCOMPARE(int(blocks[size_t(l0) + 14]), 7);

        // The bit table spreads each bit's 2^b slices over the sub-frames.
        std::vector<unsigned char> table(size_t(bits * subFrames));
        QCOMPARE(GetParaTable(table.data(), int(table.size())), CONFIGERR_OK_6619);
        for (int b = 0; b < 8; ++b) {
            int sum = 0;
            for (int s = 0; s < subFrames; ++s)
                sum += table[size_t(s * bits + b)];
            QCOMPARE(sum, 1 << b);
        }

        wchar_t longPath[1100];
        std::fill(longPath, longPath + 1099, L'a');
        longPath[1099] = 0;
        QCOMPARE(SetScanTxtPath(longPath), CONFIGERR_INVALID_PARA_6619);
    }
};

QTEST_GUILESS_MAIN(TestChipLib)

#include "test_chiplib.moc"
