#!/usr/bin/env python3
"""Writes bignum_vectors.txt: operations on integers up to 1024 bits with
Python's own results, for the BigNum test. Deterministic (fixed seed), so
the committed file can be regenerated and compared.

Each line: an operation, its operands and results in hexadecimal.
  add A B SUM | sub A B DIFF | mul A B PRODUCT | div A B QUOTIENT REMAINDER
  pow BASE EXP MOD RESULT
"""
import random

rng = random.Random(19960717)
lines = []


def h(v):
    return format(v, "x")


def emit_arith(a, b):
    lines.append(f"add {h(a)} {h(b)} {h(a + b)}")
    lines.append(f"mul {h(a)} {h(b)} {h(a * b)}")
    big, small = max(a, b), min(a, b)
    lines.append(f"sub {h(big)} {h(small)} {h(big - small)}")
    if b:
        lines.append(f"div {h(a)} {h(b)} {h(a // b)} {h(a % b)}")


def operand(max_bits=1024):
    return rng.getrandbits(rng.randint(1, max_bits))


# Random operands of every size, including single words.
for _ in range(60):
    emit_arith(operand(), operand())
for _ in range(20):
    emit_arith(operand(), operand(32))

# Powers of two around word boundaries, and all-ones words (carries and
# borrows that run through every word).
edges = [0, 1]
for bits in (15, 16, 17, 31, 32, 33, 255, 256, 257, 511, 512, 513, 1023):
    edges += [2**bits - 1, 2**bits, 2**bits + 1]
for a in edges:
    for b in (1, 2**16 - 1, 2**16, 2**32 - 1, 2**511 + 1):
        emit_arith(a, b)

# Division where the remainder's top word equals the divisor's top word, so
# the trial digit needs 17 bits: a = [t, x, ...] over b = [t, y, ...], y > x.
for _ in range(60):
    words_b = rng.randint(2, 32)
    top = rng.randint(0x8000, 0xFFFF) if rng.random() < 0.7 else rng.randint(1, 0xFFFF)
    second_b = rng.randint(1, 0xFFFF)
    b = (top << (16 * (words_b - 1))) | (second_b << (16 * (words_b - 2))) | rng.getrandbits(16 * (words_b - 2))
    words_a = words_b + rng.randint(1, 30)
    second_a = rng.randint(0, second_b - 1)
    a = (top << (16 * (words_a - 1))) | (second_a << (16 * (words_a - 2))) | rng.getrandbits(16 * (words_a - 2))
    lines.append(f"div {h(a)} {h(b)} {h(a // b)} {h(a % b)}")
# All-ones dividends over divisors with a full top word.
for words in range(2, 20):
    a = 2 ** (16 * (words + 3)) - 1
    b = (0xFFFF << (16 * (words - 1))) | 1
    lines.append(f"div {h(a)} {h(b)} {h(a // b)} {h(a % b)}")

# Power modulo: 512-bit moduli as the exchange uses, smaller ones, exponent 0
# and 1, and a modulus of 1.
for _ in range(25):
    m = rng.getrandbits(512) | (1 << 511) | 1
    base = operand(600)
    lines.append(f"pow {h(base)} 3 {h(m)} {h(pow(base, 3, m))}")
for _ in range(25):
    m = operand(300) or 7
    base, exp = operand(300), operand(64)
    lines.append(f"pow {h(base)} {h(exp)} {h(m)} {h(pow(base, exp, m))}")
for base, exp, m in ((5, 0, 7), (0, 0, 7), (123456789, 1, 2**512 - 569), (7, 0, 1), (7, 5, 1),
                     (2**1023, 2, 2**512 + 1), (0, 5, 13)):
    lines.append(f"pow {h(base)} {h(exp)} {h(m)} {h(pow(base, exp, m))}")

with open(__file__.replace("make_bignum_vectors.py", "bignum_vectors.txt"), "w") as out:
    out.write("\n".join(lines) + "\n")
