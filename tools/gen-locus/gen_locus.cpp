// Builds the spectral locus table "Data.txt" from CIE colour-matching functions
// in the CGATS-like ".cmf" form that colord ships (three data sets X, Y, Z over
// equally spaced wavelengths).
//
//   ledwall-gen-locus <input.cmf> <output.txt>
//
// The 5 nm samples are interpolated to 1 nm with Sprague's fifth-order method
// (the method the CIE recommends for equally spaced colour data), then turned into
// chromaticities x = X/(X+Y+Z), y = Y/(X+Y+Z). Each output line is "wave x y".
// A host tool of the build: plain C++, no Qt.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace
{

struct Table {
    std::vector<double> waves;
    std::vector<std::vector<double>> sets; // X, Y, Z
};

bool fail(const std::string &why)
{
    std::cerr << "ledwall-gen-locus: " << why << '\n';
    return false;
}

bool readCmf(const char *path, Table *table)
{
    std::ifstream in(path);
    if (!in)
        return fail(std::string("cannot open ") + path);
    std::string line;
    enum { Header, Format, Data, Done } state = Header;
    while (state != Done && std::getline(in, line)) {
        std::istringstream words(line);
        std::string first;
        if (!(words >> first))
            continue;
        if (first == "BEGIN_DATA_FORMAT") {
            state = Format;
        } else if (first == "END_DATA_FORMAT") {
            state = Header;
        } else if (first == "BEGIN_DATA") {
            state = Data;
        } else if (first == "END_DATA") {
            state = Done;
        } else if (state == Format) {
            // SPEC_360 SPEC_365 ...
            std::string field = first;
            do {
                if (field.rfind("SPEC_", 0) != 0)
                    return fail("unexpected data field " + field);
                table->waves.push_back(std::stod(field.substr(5)));
            } while (words >> field);
        } else if (state == Data) {
            std::vector<double> values;
            std::istringstream numbers(line);
            double v = 0.0;
            while (numbers >> v)
                values.push_back(v);
            table->sets.push_back(values);
        }
    }
    if (state != Done)
        return fail("no complete data block");
    if (table->sets.size() != 3)
        return fail("expected three data sets (X, Y, Z)");
    const size_t n = table->waves.size();
    if (n < 6)
        return fail("too few wavelengths");
    for (const auto &set : table->sets) {
        if (set.size() != n)
            return fail("a data set does not match the wavelength list");
    }
    const double step = table->waves[1] - table->waves[0];
    for (size_t i = 1; i < n; ++i) {
        if (step <= 0.0 || std::fabs(table->waves[i] - table->waves[i - 1] - step) > 1e-9)
            return fail("wavelengths are not equally spaced");
    }
    return true;
}

double dot6(const double *c, const double *p)
{
    double s = 0.0;
    for (int i = 0; i < 6; ++i)
        s += c[i] * p[i];
    return s;
}

// Sprague (1880) interpolation of equally spaced samples `p` at position `t`
// (sample units, 0 <= t <= p.size() - 1). Two points are extrapolated at each end.
double sprague(const std::vector<double> &p, double t)
{
    static const double start2[6] = {884, -1960, 3033, -2648, 1080, -180};
    static const double start1[6] = {508, -540, 488, -367, 144, -24};
    const size_t n = p.size();
    std::vector<double> e(n + 4);
    for (size_t i = 0; i < n; ++i)
        e[i + 2] = p[i];
    const double first[6] = {p[0], p[1], p[2], p[3], p[4], p[5]};
    const double last[6] = {p[n - 1], p[n - 2], p[n - 3], p[n - 4], p[n - 5], p[n - 6]};
    e[0] = dot6(start2, first) / 209.0;
    e[1] = dot6(start1, first) / 209.0;
    e[n + 2] = dot6(start1, last) / 209.0;
    e[n + 3] = dot6(start2, last) / 209.0;

    size_t i = size_t(std::floor(t));
    if (i >= n - 1)
        i = n - 2;
    const double x = t - double(i);
    const double *q = &e[i]; // q[0..5] = p[i-2] .. p[i+3]
    const double a0 = q[2];
    const double a1 = (2 * q[0] - 16 * q[1] + 16 * q[3] - 2 * q[4]) / 24.0;
    const double a2 = (-q[0] + 16 * q[1] - 30 * q[2] + 16 * q[3] - q[4]) / 24.0;
    const double a3 = (-9 * q[0] + 39 * q[1] - 70 * q[2] + 66 * q[3] - 33 * q[4] + 7 * q[5]) / 24.0;
    const double a4 =
        (13 * q[0] - 64 * q[1] + 126 * q[2] - 124 * q[3] + 61 * q[4] - 12 * q[5]) / 24.0;
    const double a5 = (-5 * q[0] + 25 * q[1] - 50 * q[2] + 50 * q[3] - 25 * q[4] + 5 * q[5]) / 24.0;
    return a0 + x * (a1 + x * (a2 + x * (a3 + x * (a4 + x * a5))));
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::cerr << "usage: ledwall-gen-locus <input.cmf> <output.txt>\n";
        return 2;
    }
    Table table;
    if (!readCmf(argv[1], &table))
        return 1;

    const double start = table.waves.front();
    const double step = table.waves[1] - start;
    const int firstWave = int(std::ceil(start));
    const int lastWave = int(std::floor(table.waves.back()));

    std::ostringstream out;
    int lines = 0;
    for (int wave = firstWave; wave <= lastWave; ++wave) {
        const double t = (wave - start) / step;
        double xyz[3];
        for (int k = 0; k < 3; ++k)
            xyz[k] = std::max(0.0, sprague(table.sets[size_t(k)], t)); // no negative light
        const double sum = xyz[0] + xyz[1] + xyz[2];
        if (!(sum > 0.0))
            continue;
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%d %.6f %.6f\n", wave, xyz[0] / sum, xyz[1] / sum);
        out << buffer;
        ++lines;
    }
    std::ofstream file(argv[2], std::ios::trunc);
    file << out.str();
    file.close();
    if (!file) {
        fail(std::string("cannot write ") + argv[2]);
        return 1;
    }
    std::cout << "ledwall-gen-locus: " << lines << " wavelengths written to " << argv[2] << '\n';
    return 0;
}
