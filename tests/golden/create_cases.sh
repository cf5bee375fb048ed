# The recorded creation requests: rank, number, symmetry. Sourced by
# record-create-golden.sh and check_create.sh.
create_cases() {
  for rank in 0 1 2 3 4 5 6 7 8 9; do
    for number in 1 2 3; do echo "$rank $number 0"; done
    echo "$rank 1 1"
    echo "$rank 1 2"
  done
}
# The cases the test suite checks: every rank up to 究極激難問 with number 1.
is_quick_case() { [ "$1" -le 6 ] && [ "$2" -eq 1 ]; }
