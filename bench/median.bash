# Sourced by the benchmark scripts: the median of the numbers on standard input (one or more a
# line, blank lines ignored), printed with printf's FORMAT (default %g).
#
#   printf '%s\n' 3 1 2 | median        -> 2
#   echo "40 38 42 39" | median %.1f    -> 39.5
median() {
  tr -s ' \t' '\n\n' | grep -v '^$' | sort -g |
    awk -v format="${1:-%g}" '{ a[NR] = $1 }
      END { printf format "\n", (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2 }'
}
