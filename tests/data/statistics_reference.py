#!/usr/bin/python3
"""Computes every row of statistics_reference.txt beside it again from the row's own inputs with
SciPy (Debian's python3-scipy), which shares no code with the program but Boost's non-central
series, checked another way below; the rest of the file stays as it is. Run it by hand.
Exact fractions (and 60-digit decimals for G2 and omega) only decide how a value on or near a half
of its last shown digit rounds, and check SciPy's value."""

import math
import platform
from decimal import Decimal, ROUND_HALF_EVEN, getcontext
from fractions import Fraction
from itertools import accumulate
from pathlib import Path

import numpy as np
import scipy
from scipy import stats
from scipy.stats import contingency

getcontext().prec = 60
ALPHAS = (0.05, 0.01, 0.001)
POWER = 0.6


# The program's steps come from a loop adding 0.05 in double precision (0.49999999999999994 for the
# last); a total at 0.5 is therefore an "at most", not an interpolation.
OMEGA_STEPS = list(accumulate([0.05] * 8, initial=0.1))


def df_of(r, c):
    return c - 1 if r == 1 else (r - 1) * (c - 1)


def dec(x):
    return Decimal(x.numerator) / Decimal(x.denominator) if isinstance(x, Fraction) else Decimal(x)


def shown(x, decimals):
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
    step = Decimal(1).scaleb(-decimals)
    return f"{shown(dec(x).quantize(step, 'ROUND_FLOOR'), decimals)}|{shown(dec(x).quantize(step, 'ROUND_CEILING'), decimals)}"


class Notes:
    """The ties of a row. A value on a half goes to the even neighbour, also when the half is not
    exact in binary (the program's double, scaled by the power of ten, lands on it); one nearer a
    half than the program's doubles can tell (some 1e-16 N: O - E loses E's digits) to either."""

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
    for alpha in ALPHAS:
        if abs(statistic - critical(df, alpha)) < 2e-5:
            raise SystemExit(f"{statistic} at df {df} lies too near a critical value")
    p = stats.chi2.sf(statistic, df)
    return "*" * sum(p < alpha for alpha in ALPHAS)


def power(c, df, lam):
    if lam < 4e9:
        return stats.ncx2.sf(c, df, lam)
    # SciPy's series end where lambda / 2 leaves an int; the exact value for df 1, where X is
    # (Z + sqrt(lambda))^2, bounds every other df from below.
    one = stats.norm.sf(math.sqrt(c) - math.sqrt(lam)) + stats.norm.cdf(-math.sqrt(c) - math.sqrt(lam))
    assert df == 1 or one == 1
    return one


def smallest_total(target, c, df, omega, margin=0.0):
    """The smallest whole N whose power at lambda = N omega^2 reaches target, or None."""
    if omega == 0 or not math.isfinite(omega):
        return None
    reaches = lambda n: power(c, df, float(n) * omega * omega) >= target
    low, high = 0, 1
    while not reaches(high):
        low, high = high, high * 2
        if high > np.finfo(float).max:
            return None
    while high - low > 1:
        middle = (low + high) // 2
        low, high = (low, middle) if reaches(middle) else (middle, high)
    # Totals below a billion are compared exactly: they must not hang on the power's last digits.
    nearest = min(abs(power(c, df, float(n) * omega * omega) - target) for n in (high - 1, high))
    assert high > 1e9 or nearest > margin, f"power too near {target} at df {df}, omega {omega}"
    return high


TOTALS = {df: [smallest_total(POWER, critical(df, 0.05), df, step, 1e-7) for step in OMEGA_STEPS] for df in range(1, 13)}


def estimate(omega2, df, notes):
    """The program's sentence for omega^2 (exact), its line through SciPy's totals."""
    steps = OMEGA_STEPS
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


def table_row(fields, note):
    """A table's statistics from its cells, read as the program reads them (single precision)."""
    cells = [row.split() for row in fields[1].split(" / ")]
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
    note = "; ".join(n for n in note.split("; ") if n and not n.startswith(("tie ", "near ")))
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
            fields.append("none")
        omega2 = chi2_exact / n
        omega = Decimal(omega2.numerator).sqrt() / Decimal(omega2.denominator).sqrt()
        assert abs(float(omega) - np.sqrt(chi2 / float(n))) < 1e-12
        root = Fraction(int(Decimal(omega2.numerator).sqrt()), int(Decimal(omega2.denominator).sqrt()))
        fields.append(notes.text("omega", root if root * root == omega2 else omega, 4))
        fields.append(estimate(omega2, df, notes))
        fields.append(str(smallest_total(POWER, critical(df, 0.05), df, float(omega))) if omega2 > 0 else "-")
    comment = "; ".join(([note] if note else []) + notes.ties)
    return fields, comment


def critical_row(fields, note):
    df = int(fields[0])
    values = [critical(df, alpha) for alpha in ALPHAS]
    assert all(halfway(v, 6) > Decimal("1e-6") and halfway(v, 3) > Decimal("1e-6") for v in values)
    return [str(df), " ".join(f"{v:.6f}" for v in values), " ".join(shown(v, 3) for v in values)], note


def total_row(fields, note):
    return [fields[0], " ".join(map(str, TOTALS[int(fields[0])]))], note


def chi2_row(fields, note):
    df, x = int(fields[0]), float(fields[1])
    values = stats.chi2.sf(x, df), min(stats.chi2.pdf(x, df), np.finfo(float).max)
    assert all(v == 0 or v >= np.finfo(float).tiny for v in values), f"{x}: a subnormal value"
    return fields[:2] + [repr(float(v)) for v in values], note


def power_row(fields, note):
    df, c, lam = int(fields[0]), float(fields[1]), float(fields[2])
    value = power(c, df, lam)
    # SciPy's ncx2 runs Boost's series, as the program does; the Poisson mixture of its central tails
    # (cephes) checks it.
    if 0 < lam <= 1e4:
        k = np.arange(0, int(lam + 40 * math.sqrt(lam) + 100))
        assert math.isclose(value, np.sum(stats.poisson.pmf(k, lam / 2) * stats.chi2.sf(c, df + 2 * k)), rel_tol=1e-9)
    return fields[:3] + [repr(float(value))], note


def needed_row(fields, note):
    df, c, omega = int(fields[0]), float(fields[1]), float(fields[2])
    totals = [smallest_total(target, c, df, omega, 1e-11) for target in (0.6, 0.8)]
    return fields[:3] + ["none" if n is None else str(n) if n < 2 ** 53 else repr(float(n)) for n in totals], note


ROWS = {"table": table_row, "critical": critical_row, "total": total_row, "chi2": chi2_row, "power": power_row,
        "limit": power_row, "needed": needed_row}


def main():
    path = Path(__file__).with_name("statistics_reference.txt")
    out = [f"# Statistics computed independently with SciPy {scipy.__version__} (NumPy {np.__version__}, "
           f"Python {platform.python_version()}; Debian 12's python3-scipy) by statistics_reference.py."]
    for line in path.read_text().splitlines()[1:]:
        row, _, note = line.partition("  # ")
        fields = row.split(" | ")
        kind, _, fields[0] = fields[0].partition(" ")
        if kind in ROWS:
            fields, note = ROWS[kind](fields, note)
            line = f"{kind} " + " | ".join(fields) + (f"  # {note}" if note else "")
        out.append(line)
    path.write_text("\n".join(out) + "\n")


if __name__ == "__main__":
    main()
