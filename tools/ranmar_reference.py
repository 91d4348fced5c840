#!/usr/bin/env python3
"""Reference values of the universal random generator (Marsaglia and Zaman, 1990, RANMAR) for
tests/foundation/numeric_test.cpp, computed in exact integer units of 2^-24 so that no floating
point is involved. The first correction adds 1 also when the difference is exactly 0.

    tools/ranmar_reference.py IJ KL COUNT [SKIP]
prints COUNT numbers (times 2^24, as integers) after SKIP numbers of the sequence."""
import sys

ONE = 1 << 24


def init(ij, kl):
    if ij < 0 or ij > 31328 or kl < 0 or kl > 30081:
        ij, kl = 1802, 9373
    i = (ij // 177) % 177 + 2
    j = ij % 177 + 2
    k = (kl // 169) % 178 + 1
    l = kl % 169
    u = [0] * 98
    for entry in range(1, 98):
        s = 0
        t = ONE // 2
        for _ in range(24):
            m = ((i * j) % 179) * k % 179
            i, j, k = j, k, m
            l = (53 * l + 1) % 169
            if (l * m) % 64 >= 32:
                s += t
            t //= 2
        u[entry] = s
    return {"u": u, "i97": 97, "j97": 33, "c": 362436, "cd": 7654321, "cm": 16777213}


def uniform(st):
    u = st["u"]
    x = u[st["i97"]] - u[st["j97"]]
    if x <= 0:
        x += ONE
    u[st["i97"]] = x
    st["i97"] = st["i97"] - 1 or 97
    st["j97"] = st["j97"] - 1 or 97
    st["c"] -= st["cd"]
    if st["c"] < 0:
        st["c"] += st["cm"]
    x -= st["c"]
    if x < 0:
        x += ONE
    return x


def main():
    ij, kl, count = (int(a) for a in sys.argv[1:4])
    skip = int(sys.argv[4]) if len(sys.argv) > 4 else 0
    st = init(ij, kl)
    for _ in range(skip):
        uniform(st)
    print(", ".join(str(uniform(st)) for _ in range(count)))


if __name__ == "__main__":
    main()
