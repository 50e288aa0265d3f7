# What runs on each volume. Every check appends its findings to the volume's line of the table.

# The unit tests that touch files: listings, moves, batches, capture reading, the settings file.
unit_filter='*BatchRename*:*EntryThatIsNoFile*:*UnsafeCameraDate*:*CameraBatch*:*CameraRename*:*ReadAhead*:*WindowBound*:*OutcomeAtItsTurn*:*CaptureDate*:*FileTime*:*HeadBlock*:*ReadOnlyFile*:*UnreadableFile*:*ExifSamples*:*LibexifPhotograph*:*FolderPathsTest*:*ResolveTest*:*PlatformListing*:*ListMatchingFiles*:*PlatformCaseFlags*:*FileExistsHere*:*LearnedMethod*:*MoveByEachMethod*:*MoveFileInFolder*:*NameInFolder*:*SettingsFile*:*ReadSettingsTest*:*SampleFolder*:*EachSample*'

# "N passed, M failed" and the skip count of a GoogleTest log.
gtest_counts() {
    local passed failed skipped
    passed=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) test.*/\1/p' "$1")
    skipped=$(sed -n 's/^\[  SKIPPED \] \([0-9]*\) test.*/\1/p' "$1")
    failed=$(sed -n 's/^\[  FAILED  \] \([0-9]*\) test.*/\1/p' "$1")
    echo "${passed:-0} passed, ${failed:-0} failed|${skipped:-0}"
}

run_unit_tests() { # run_unit_tests <volume> <folder>: 0 when every test passed or skipped
    local log=$results/$1-unit.log
    mkdir -p "$2/tmp"
    (cd "$2" && TMPDIR=$2/tmp timeout 3000 "$build/tests/unit_tests" --gtest_filter="$unit_filter" \
        --gtest_brief=0 >"$log" 2>&1)
    local code=$?
    grep -q '^\[  PASSED  \]' "$log" || code=1
    return $code
}

check_volume() { # check_volume <volume> <folder>
    local volume=$1 folder=$2 ok=0 unit
    say "$volume: unit tests"
    run_unit_tests "$volume" "$folder" || ok=1
    unit=$(gtest_counts "$results/$volume-unit.log")
    say "$volume: unit tests ${unit%|*}, ${unit#*|} skipped"
    printf '%-6s | %-22s | %-7s |\n' "$volume" "${unit%|*}" "${unit#*|}" >>"$results/table.txt"
    grep -h '^\[  SKIPPED \] ' "$results/$volume-unit.log" | grep -v 'test.*, listed below' >"$results/$volume-skipped.txt"
    return $ok
}
