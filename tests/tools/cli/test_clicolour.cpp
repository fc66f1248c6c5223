// `ledwall gamut`, `ledwall gamma` and `ledwall locus`, run as the user runs them.

#include <QtTest>

namespace
{
struct Run {
    int exitCode = -1;
    QJsonDocument json;
    QString errors;
};

Run ledwall(const QStringList &args, const QByteArray &input = {},
            const QString &program = QStringLiteral(LEDWALL_CLI_PATH),
            const QString &workingDirectory = {})
{
    QProcess process;
    if (!workingDirectory.isEmpty())
        process.setWorkingDirectory(workingDirectory);
    process.start(program, args);
    Run run;
    if (!process.waitForStarted(10000))
        return run;
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.json = QJsonDocument::fromJson(process.readAllStandardOutput());
    run.errors = QString::fromUtf8(process.readAllStandardError());
    return run;
}

struct Gamut {
    double r[2], g[2], b[2], w[2];
};
const Gamut SRgb = {{0.64, 0.33}, {0.30, 0.60}, {0.15, 0.06}, {0.3127, 0.3290}};
const Gamut DisplayP3 = {{0.68, 0.32}, {0.265, 0.69}, {0.15, 0.06}, {0.3127, 0.3290}};

QJsonObject gamutRequest(const Gamut &panel, const Gamut &target)
{
    QJsonObject request;
    const auto add = [&](const char *prefix, const Gamut &gamut) {
        const QString p = QLatin1String(prefix);
        request.insert(p + "_R_Cx", gamut.r[0]);
        request.insert(p + "_R_Cy", gamut.r[1]);
        request.insert(p + "_G_Cx", gamut.g[0]);
        request.insert(p + "_G_Cy", gamut.g[1]);
        request.insert(p + "_B_Cx", gamut.b[0]);
        request.insert(p + "_B_Cy", gamut.b[1]);
        request.insert(p + "_W_Cx", gamut.w[0]);
        request.insert(p + "_W_Cy", gamut.w[1]);
    };
    add("pri", panel);
    add("dst", target);
    return request;
}

QByteArray toBytes(const QJsonObject &object)
{
    return QJsonDocument(object).toJson();
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &data)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
        return {};
    return path;
}

QVector<int> levels(const QJsonDocument &curve)
{
    QVector<int> y;
    const QJsonArray points = curve.array();
    for (int i = 0; i < points.size(); ++i) {
        if (points.at(i).toObject().value("x").toInt(-1) != i)
            return {}; // the points must come in input order
        y << points.at(i).toObject().value("y").toInt();
    }
    return y;
}

// The ledwall program copied into `dir`, so that it runs without the locus table
// that the build puts beside the original.
QString copyProgram(const QTemporaryDir &dir)
{
    const QString copy = dir.filePath(QStringLiteral("ledwall"));
    if (!QFile::copy(QStringLiteral(LEDWALL_CLI_PATH), copy))
        return {};
    QFile::setPermissions(copy, QFile::permissions(QStringLiteral(LEDWALL_CLI_PATH)));
    return copy;
}
} // namespace

class TestCliColour : public QObject
{
    Q_OBJECT
private slots:
    void gamutIdenticalGamutsGiveUnitDiagonal()
    {
        // From stdin and from a file alike.
        QTemporaryDir dir;
        const QByteArray request = toBytes(gamutRequest(SRgb, SRgb));
        const QString path = writeFile(dir, QStringLiteral("same.json"), request);
        QVERIFY(!path.isEmpty());
        for (const Run &run : {ledwall({"gamut", "-"}, request), ledwall({"gamut", path})}) {
            QCOMPARE(run.exitCode, 0);
            const QJsonObject map = run.json.object();
            QCOMPARE(map.value("buffer_CMR").toInt(), 0x800);
            QCOMPARE(map.value("buffer_CMG").toInt(), 0x800);
            QCOMPARE(map.value("buffer_CMB").toInt(), 0x800);
            // Most significant byte first.
            QCOMPARE(map.value("buffer_CMR_1").toInt(), 0);
            QCOMPARE(map.value("buffer_CMR_3").toInt(), 0x08);
            QCOMPARE(map.value("buffer_CMR_4").toInt(), 0);
            QCOMPARE(map.value("CMrr").toInt(), 2048);
            QCOMPARE(map.value("CMbg").toInt(), 0);
            QCOMPARE(map.value("sCgg").toString(), QStringLiteral("1"));
        }
    }

    void gamutMapsTargetOntoWiderPanel()
    {
        // sRGB shown on a Display P3 panel: the well-known conversion matrix
        // (0.8225 0.1774 0 / 0.0332 0.9669 0 / 0.0171 0.0724 0.9108).
        const Run run = ledwall({"gamut", "-"}, toBytes(gamutRequest(DisplayP3, SRgb)));
        QCOMPARE(run.exitCode, 0);
        const QJsonObject map = run.json.object();
        const auto near = [&](const char *key, int expected) {
            const int value = map.value(QLatin1String(key)).toInt(-10000);
            if (qAbs(value - expected) > 1)
                qWarning() << key << value << "expected" << expected;
            return qAbs(value - expected) <= 1;
        };
        QVERIFY(near("CMrr", 1684) && near("CMgg", 1980) && near("CMbb", 1865));
        QVERIFY(near("CMrg", 182) && near("CMrb", 0) && near("CMgr", 34));
        QVERIFY(near("CMgb", 0) && near("CMbr", 18) && near("CMbg", 74));
        const quint32 red = quint32(map.value("buffer_CMR").toDouble());
        QCOMPARE(red & 0xFFF, quint32(map.value("CMrr").toInt()));
        QCOMPARE((red >> 12) & 0x3FF, quint32(map.value("CMrg").toInt()));
        QCOMPARE(red >> 24, quint32(map.value("buffer_CMR_1").toInt()));
    }

    void gamutRefusesBadInput()
    {
        QJsonObject request = gamutRequest(SRgb, SRgb);
        request.remove("dst_B_Cy");
        Run run = ledwall({"gamut", "-"}, toBytes(request));
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.errors.contains("dst_B_Cy"), qPrintable(run.errors));

        request = gamutRequest(SRgb, SRgb);
        request.insert("pri_W_Cx", "0.3127");
        run = ledwall({"gamut", "-"}, toBytes(request));
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.errors.contains("pri_W_Cx"), qPrintable(run.errors));

        QCOMPARE(ledwall({"gamut"}).exitCode, 2);
        QCOMPARE(ledwall({"gamut", "-"}, "{\"pri_R_Cx\": 0.64,").exitCode, 1);
        QCOMPARE(ledwall({"gamut", "-"}, "[1, 2]").exitCode, 1);
        QTemporaryDir dir;
        QCOMPARE(ledwall({"gamut", dir.filePath("missing.json")}).exitCode, 1);
    }

    void gamutReportsDegenerateGamut()
    {
        // Green on top of red: no matrix exists; the identity's words come out, but
        // the command says it did not do what was asked.
        Gamut flat = SRgb;
        flat.g[0] = flat.r[0];
        flat.g[1] = flat.r[1];
        const Run run = ledwall({"gamut", "-"}, toBytes(gamutRequest(flat, SRgb)));
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.json.object().value("buffer_CMR").toInt(), 0x800);
        QVERIFY2(run.errors.contains("pri_"), qPrintable(run.errors));
    }

    void gammaCurves()
    {
        Run run =
            ledwall({"gamma", "--in-bits", "2", "--out-bits", "8", "--max", "255", "--gamma", "1"});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(levels(run.json), (QVector<int>{0, 85, 170, 255}));

        // Mode 1 never falls below the ramp 2^(16 - out-bits) * x.
        run = ledwall({"gamma", "--in-bits", "2", "--out-bits", "8", "--max", "255", "--gamma",
                       "2.2", "--mode", "1"});
        QCOMPARE(levels(run.json), (QVector<int>{0, 256, 512, 768}));
        run = ledwall({"gamma", "--in-bits", "2", "--out-bits", "16", "--max", "255", "--gamma",
                       "2.2", "--mode", "1"});
        QCOMPARE(levels(run.json), (QVector<int>{0, 23, 105, 255}));

        run = ledwall(
            {"gamma", "--in-bits", "8", "--out-bits", "16", "--max", "65535", "--gamma", "2.2"});
        const QVector<int> curve = levels(run.json);
        QCOMPARE(curve.size(), 256);
        QCOMPARE(curve.at(128), 14386); // (128 / 255)^2.2 * 65535
        QCOMPARE(curve.last(), 65535);

        // One input level: the single point (0, 0).
        run = ledwall(
            {"gamma", "--in-bits", "0", "--out-bits", "8", "--max", "255", "--gamma", "2.2"});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.json.toJson(QJsonDocument::Compact), QByteArray(R"([{"x":0,"y":0}])"));
    }

    void gammaRefusesBadOptions()
    {
        const QStringList good{"gamma", "--in-bits", "4",       "--out-bits", "8",
                               "--max", "255",       "--gamma", "2.2"};
        QCOMPARE(ledwall(good).exitCode, 0);
        const auto with = [&](const QString &option, const QString &value) {
            QStringList args = good;
            const int at = args.indexOf(option);
            if (at < 0)
                args << option << value;
            else
                args[at + 1] = value;
            return ledwall(args).exitCode;
        };
        QCOMPARE(with("--in-bits", "17"), 2);
        QCOMPARE(with("--out-bits", "0"), 2);
        QCOMPARE(with("--max", "-1"), 2);
        QCOMPARE(with("--gamma", "0"), 2);
        QCOMPARE(with("--gamma", "nan"), 2);
        QCOMPARE(with("--mode", "2"), 2);
        QCOMPARE(ledwall(good.mid(0, 7)).exitCode, 2); // no --gamma
    }

    void locusInsideAndOutside()
    {
        const auto inside = [](const QString &x, const QString &y) {
            const Run run = ledwall({"locus", x, y});
            return run.exitCode == 0 ? QVariant(run.json.object().value("inside").toBool())
                                     : QVariant(run.exitCode);
        };
        QCOMPARE(inside("0.3127", "0.3290"), QVariant(true)); // D65 white
        QCOMPARE(inside("0.0743", "0.8338"), QVariant(true)); // on the locus, 520 nm
        QCOMPARE(inside("0.6", "0.3"), QVariant(true));       // deep red
        QCOMPARE(inside("0.1", "0.9"), QVariant(false));      // above the green tip
        QCOMPARE(inside("0.5", "0.1"), QVariant(false));      // below the line of purples
        QCOMPARE(inside("0.8", "0.2"), QVariant(false));      // beyond the red end
        QCOMPARE(inside("-0.1", "0.3"), QVariant(false));
        QCOMPARE(ledwall({"locus", "0.3"}).exitCode, 2);
        QCOMPARE(ledwall({"locus", "0.3", "abc"}).exitCode, 2);
    }

    void locusNeedsTheTableBesideTheProgram()
    {
        QTemporaryDir dir;
        const QString program = copyProgram(dir);
        QVERIFY(!program.isEmpty());
        Run run = ledwall({"locus", "0.3127", "0.3290"}, {}, program, dir.path());
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.errors.contains("Data.txt"), qPrintable(run.errors));

        // A damaged table is no table.
        QVERIFY(!writeFile(dir, QStringLiteral("Data.txt"), "wave x y\nnot a table\n").isEmpty());
        run = ledwall({"locus", "0.3127", "0.3290"}, {}, program, dir.path());
        QCOMPARE(run.exitCode, 1);

        // ... and a Data.txt in the working directory does not stand in for the
        // program's own.
        run = ledwall({"locus", "0.3127", "0.3290"}, {}, QStringLiteral(LEDWALL_CLI_PATH),
                      dir.path());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.json.object().value("inside").toBool(), true);
    }
};

QTEST_GUILESS_MAIN(TestCliColour)
#include "test_clicolour.moc"
