#!/usr/bin/python3
"""Computes every row of statistics_reference.txt beside this script again, with SciPy: the
statistics of the engine and the two shipped table files, from a package that shares no code with
the program or with tools/gentables.cpp (which uses Boost.Math). The tables are the file's own: to
add a case, add a line "table | 3 4 / 5 6  # what it shows" under a heading and run
    tests/data/statistics_reference.py
Needs Debian's python3-scipy and python3-numpy; the suite only reads the file.

SciPy gives every statistic and table value. Exact fractions (and 60-digit decimals for G2 and
omega) only decide how a value on a half of its last shown digit rounds, half to even, and
check SciPy's value; a value nearer a half than the program's doubles can tell is written as
both neighbours, "1.012|1.013", either of which the suite accepts.
"""

import platform
from decimal import Decimal, ROUND_HALF_EVEN, getcontext
from fractions import Fraction
from pathlib import Path

import numpy as np
import scipy
from scipy import stats
from scipy.stats import contingency

getcontext().prec = 60
ALPHAS = (0.05, 0.01, 0.001)
POWER = 0.6


def omega_steps():
    # The program's steps come from a loop adding 0.05 in double precision (0.49999999999999994
    # for the last); a total at 0.5 is therefore an "at most", not an interpolation.
    steps, omega = [], 0.1
    for _ in range(9):
        steps.append(omega)
        omega += 0.05
    return steps


def df_of(r, c):
    return c - 1 if r == 1 else (r - 1) * (c - 1)


def dec(x):
    """A Decimal of x; a fraction whose tie matters ends within 60 digits."""
    return Decimal(x.numerator) / Decimal(x.denominator) if isinstance(x, Fraction) else Decimal(x)


def shown(x, decimals):
    """x rounded half to even and written as the program writes it, without the blank before
    a value that is not negative: 20, .5, -.341, 2.062."""
    q = dec(x).quantize(Decimal(1).scaleb(-decimals), ROUND_HALF_EVEN)
    if q == 0:
        return "0"
    text = format(q.normalize(), "f")
    return text.replace("0.", ".", 1) if text.lstrip("-").startswith("0.") else text


def halfway(x, decimals):
    """How far x lies from a half of its last shown digit, in units of that digit."""
    scaled = dec(x).scaleb(decimals)
    return abs(scaled - scaled.to_integral_value(rounding="ROUND_FLOOR") - Decimal("0.5"))


def either(x, decimals):
    """Both neighbours of a value on (or within a double's error of) a half: "1.012|1.013"."""
    step = Decimal(1).scaleb(-decimals)
    return f"{shown(dec(x).quantize(step, 'ROUND_FLOOR'), decimals)}|{shown(dec(x).quantize(step, 'ROUND_CEILING'), decimals)}"


class Notes:
    """Collects the ties of a row. A value exactly on a half goes to the even neighbour, also
    when the half is not exact in binary: the program's double then lies within a rounding of
    it, and scaled by the power of ten it lands on the half, as a hand computation would. A
    value nearer a half than the program's doubles can tell may go to either neighbour; their
    error is of the order of 1e-16 N (O - E loses the digits of E): a hundred times that is near."""

    def __init__(self, total):
        self.ties = []
        self.tolerance = Decimal("1e-14") * max(1, dec(total))

    def text(self, name, exact, decimals, approx=None):
        if approx is not None and abs(float(exact) - approx) > 1e-9 * max(1.0, abs(approx)):
            raise SystemExit(f"{name}: SciPy gives {approx}, the exact value is {float(exact)}")
        denominator = Fraction(exact).denominator
        if halfway(exact, decimals) == 0:
            binary = denominator & (denominator - 1) == 0
            self.ties.append(f"tie {name} {dec(exact)}" + (" (exact in binary)" if binary else " (not exact in binary)"))
        elif halfway(exact, decimals) < self.tolerance.scaleb(decimals):
            self.ties.append(f"near {name} {dec(exact):.20g}, nearly a half (either neighbour)")
            return either(exact, decimals)
        return shown(exact, decimals)


def critical(df, alpha):
    return stats.chi2.isf(alpha, df)


def level(statistic, df):
    """How many of 5 %, 1 % and 0.1 % the statistic is significant at, from its p value."""
    for alpha in ALPHAS:
        if abs(statistic - critical(df, alpha)) < 2e-5:
            raise SystemExit(f"{statistic} at df {df} lies too near a critical value")
    p = stats.chi2.sf(statistic, df)
    return "*" * sum(p < alpha for alpha in ALPHAS)


def required_total(df, omega, shipped=False):
    """The smallest N whose test at the 5 % level has a power of at least 0.6 for this omega:
    the noncentral chi-square with noncentrality N omega^2 beyond the central critical value."""
    c = critical(df, 0.05)
    enough = lambda n: stats.ncx2.sf(c, df, n * omega * omega) >= POWER
    low, high = 0, 1
    while not enough(high):
        low, high = high, high * 2
    while high - low > 1:
        middle = (low + high) // 2
        low, high = (low, middle) if enough(middle) else (middle, high)
    # A shipped total must not hang on the last digits of the power.
    margin = min(abs(stats.ncx2.sf(c, df, n * omega * omega) - POWER) for n in (high - 1, high))
    assert margin > 1e-7 or not shipped, f"power too near 0.6 at df {df}, omega {omega}"
    return high


TOTALS = {df: [required_total(df, step, True) for step in omega_steps()] for df in range(1, 13)}


def estimate(omega2, df, notes):
    """The program's sentence for omega^2 (exact): below the first step "at least" its total,
    beyond the last "at most", between two steps the straight line between their totals,
    here through SciPy's totals, rounded half to even."""
    steps = omega_steps()
    count = sum(omega2 > Fraction(s) ** 2 for s in steps)
    totals = TOTALS[df]
    if count == 0:
        return f"atleast {totals[0]}"
    if count == len(steps):
        return f"atmost {totals[-1]}"
    omega = Decimal(omega2.numerator).sqrt() / Decimal(omega2.denominator).sqrt()
    lower = Decimal(steps[count - 1])  # the double itself, every digit of it
    number = totals[count - 1] - (totals[count - 1] - totals[count]) * (omega - lower) / Decimal("0.05")
    # Between two steps omega is never exact in binary, and neither are the steps but 0.25:
    # the doubles of the program may take a total on or near a half to either neighbour.
    if halfway(number, 0) == 0:
        notes.ties.append(f"tie total {number} (either neighbour)")
    elif halfway(number, 0) < Decimal("1e-9"):
        notes.ties.append(f"near total {number:.17g}, off a half by the steps' doubles (either neighbour)")
    else:
        return f"about {shown(number, 0)}"
    return f"about {either(number, 0)}"


def table_row(cells, note=""):
    """One table: its rows as lists of cell texts, read as the program reads them (single
    precision)."""
    single = [[np.float32(float(t)) for t in row] for row in cells]
    exact = [[Fraction(float(v)) for v in row] for row in single]
    observed = np.array(single, dtype=float)
    r, c = observed.shape
    n = sum(map(sum, exact))
    if r == 1:  # goodness of fit against equal shares
        e_exact = [[n / c] * c]
        expected = np.full((1, c), float(n) / c)
    else:       # independence
        rows, columns = [sum(row) for row in exact], [sum(col) for col in zip(*exact)]
        e_exact = [[rows[i] * columns[j] / n if n else Fraction(0) for j in range(c)] for i in range(r)]
        expected = contingency.expected_freq(observed) if n else np.zeros((r, c))
    notes = Notes(n)
    fields = [f"{r}x{c} df {df_of(r, c)}", " / ".join(" ".join(row) for row in cells),
              " / ".join(" ".join(notes.text(f"E{i + 1}{j + 1}", e_exact[i][j], 3, expected[i, j]) for j in range(c))
                         for i in range(r))]
    if any(e == 0 for row in e_exact for e in row):
        fields.append("stops")
    else:
        parts = [[(o - e) ** 2 / e for o, e in zip(orow, erow)] for orow, erow in zip(exact, e_exact)]
        chi2_exact = sum(map(sum, parts))
        df = df_of(r, c)
        if r == 1:
            test = stats.chisquare(observed[0])
            chi2, g2 = test.statistic, stats.power_divergence(observed[0], lambda_="log-likelihood").statistic
            assert np.isclose(test.pvalue, stats.chi2.sf(chi2, df), rtol=1e-12, atol=0)
        else:
            chi2, _, scipy_df, _ = stats.chi2_contingency(observed, correction=False)
            g2 = stats.chi2_contingency(observed, correction=False, lambda_="log-likelihood")[0]
            assert scipy_df == df
        # The chi2 of each row and each column against its expected values, as the margins
        # show them; one-row tables show no column sums.
        sums = [notes.text(f"row {i + 1}", sum(parts[i]), 3, stats.chisquare(observed[i], expected[i]).statistic)
                for i in range(r)]
        if r > 1:
            sums.append("/")
            sums += [notes.text(f"column {j + 1}", sum(row[j] for row in parts), 3,
                                stats.chisquare(observed[:, j], expected[:, j]).statistic) for j in range(c)]
        fields.append(" ".join(sums))
        fields.append(notes.text("chi2", chi2_exact, 3, chi2) + level(chi2, df))
        if (observed > 0).all():
            # 60 digits of G2 tell how far it lies from a half, which SciPy's double cannot.
            precise = 2 * sum(dec(o) * (dec(o) / dec(e)).ln() for orow, erow in zip(exact, e_exact)
                              for o, e in zip(orow, erow))
            fields.append(notes.text("G2", precise, 3, g2) + level(g2, df))
        else:
            fields.append("none")  # a zero frequency: no logarithm
        omega2 = chi2_exact / n
        omega = Decimal(omega2.numerator).sqrt() / Decimal(omega2.denominator).sqrt()
        assert abs(float(omega) - np.sqrt(chi2 / float(n))) < 1e-12
        root = Fraction(int(Decimal(omega2.numerator).sqrt()), int(Decimal(omega2.denominator).sqrt()))
        fields.append(notes.text("omega", root if root * root == omega2 else omega, 4))
        fields.append(estimate(omega2, df, notes))
        fields.append(str(required_total(df, float(omega))) if omega2 > 0 else "-")
    comment = "; ".join(([note] if note else []) + notes.ties)
    return "table " + " | ".join(fields) + (f"  # {comment}" if comment else "")


def main():
    path = Path(__file__).with_name("statistics_reference.txt")
    lines = path.read_text().splitlines()
    kept = lines[lines.index(next(l for l in lines if l.startswith("# ---"))):lines.index("# --- The critical values of chi2prob.dat ---")]
    out = [f"# Statistics computed independently with SciPy {scipy.__version__} (NumPy {np.__version__}, "
           f"Python {platform.python_version()}; Debian 12's python3-scipy) by statistics_reference.py.",
           "# Shown values are rounded half to even and written as the program writes them, without the blank",
           "# before a value that is not negative; * ** *** mark significance at 5 %, 1 %, 0.1 %.",
           "# table shape df | observed, rows split by / | expected values | the chi2 of each row / of each",
           "#   column (none for one row) | chi2 | G2, or none for a zero frequency | omega | the total the",
           "#   program states for a power of 0.6 at 5 % (at least / about / at most: SciPy's totals at the",
           "#   omega steps, about = the straight line between the two around omega) | SciPy's own total at",
           "#   that omega, which the statement must not contradict; or, after the expected values, stops",
           "#   (an expected value of 0). Values to 3 decimals, omega to 4; a|b: either of the two.",
           "# critical df | 5 %, 1 %, 0.1 % values to the 6 decimals of chi2prob.dat | the same to 3 decimals",
           "# total df | the nine totals of power06.dat, for omega 0.1, 0.15, ..., 0.5",
           ""]
    # The headings and tables as the file has them, each table's own note without the ties.
    for line in kept:
        if line.startswith("table "):
            row, _, comment = line.partition("  # ")
            note = "; ".join(n for n in comment.split("; ") if n and not n.startswith(("tie ", "near ")))
            line = table_row([cells.split() for cells in row.split(" | ")[1].split(" / ")], note)
        out.append(line)
    out.append("# --- The critical values of chi2prob.dat ---")
    for df in range(1, 13):
        values = [critical(df, alpha) for alpha in ALPHAS]
        assert all(halfway(v, 6) > Decimal("1e-6") and halfway(v, 3) > Decimal("1e-6") for v in values)
        out.append(f"critical {df} | " + " ".join(f"{v:.6f}" for v in values)
                   + " | " + " ".join(shown(v, 3) for v in values))
    out += ["", "# --- The totals of power06.dat ---"]
    out += [f"total {df} | " + " ".join(map(str, TOTALS[df])) for df in range(1, 13)]
    path.write_text("\n".join(out) + "\n")


if __name__ == "__main__":
    main()
