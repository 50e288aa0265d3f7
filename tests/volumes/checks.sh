# What runs on each volume. Every check appends its findings to the volume's line of the table.

# The unit tests that touch files: listings, moves, batches, capture reading, the settings file; not those
# that only repeat one file thousands of times, which take many minutes under emulation and say nothing more
# about the volume.
unit_filter='*NoReplaceMove*:*FileExistsIn*:*FailedMove*:*OneFilesRefusal*:*ReportedBatch*:*VolumeNameLimit*:*FolderNameRefusal*:*BatchRename*:*EntryThatIsNoFile*:*UnsafeCameraDate*:*CameraBatch*:*CameraRename*:*ReadAhead*:*OutcomeAtItsTurn*:*CaptureDate*:*FileTime*:*HeadBlock*:*ReadOnlyFile*:*UnreadableFile*:*ExifSamples*:*FolderPathsTest*:*ResolveTest*:*PlatformListing*:*ListMatchingFiles*:*PlatformCaseFlags*:*FileExistsHere*:*LearnedMethod*:*MoveByEachMethod*:*MoveFileInFolder*:*NameInFolder*:*SettingsFile*:*ReadSettingsTest*-*ThousandsOfReadings*:*ReadingThroughTheHeadBlock*:*LibexifPhotograph*'

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

# window <log> <test functions...>, with the environment given before it: the window test on the volume.
window() {
    local log=$1
    shift
    QTEST_FUNCTION_TIMEOUT=1800000 timeout 2400 "$build/tests/tst_volumebatch" "$@" >"$log" 2>&1
}
# "ok" or "FAIL" for one test function of a window test's log, with what it said.
outcome() { # outcome <log> <function>
    local said
    said=$(sed -n "s/^QINFO  : VolumeBatchTest::$2() //p" "$1" | head -n1)
    if grep -q "^PASS   : VolumeBatchTest::$2()" "$1"; then
        echo "ok${said:+ ($said)}"
    else
        echo "FAIL${said:+ ($said)}"
    fi
}

# The card pulled while a date batch of 3,000 photographs runs: device-mapper's error target swapped in
# under the mounted vfat, then the card mounted again and checked against the batch's manifest.
pull_card() { # pull_card <folder>: prints the table's cell, 0 when the check passed
    local signal=/tmp/pull log=$results/vfat-pull.log size cell pid
    mkdir -p "$1/pull"
    QUARIMO_VOLUME_FOLDER=$1/pull QUARIMO_VOLUME_PULL=$signal window "$log" pulledCardLosesNothing &
    pid=$!
    for _ in $(seq 1200); do [ -f "$signal" ] || ! kill -0 $pid 2>/dev/null && break; sleep 0.5; done
    sleep "${PULL_DELAY:-2}"
    kill -0 $pid 2>/dev/null || cell="pulled after the batch ended; "
    size=$(blockdev --getsz /dev/mapper/card)
    local table
    table=$(dmsetup table card)
    { dmsetup suspend --noflush --nolockfs card && dmsetup load card --table "0 $size error" && dmsetup resume card; } >&2
    say "vfat: card pulled"
    wait $pid
    local code=$?
    [ $code -le 1 ] || cell+="the program died (exit $code); "
    umount /volumes/vfat 2>/dev/null || umount -l /volumes/vfat >&2
    { dmsetup suspend card && dmsetup load card --table "$table" && dmsetup resume card; } >&2
    mount_vfat >&2 || { echo "${cell}card not mountable again"; return 1; }
    QUARIMO_VOLUME_FOLDER=$1/pull QUARIMO_VOLUME_VERIFY=$signal.manifest window "$results/vfat-after-pull.log" cardAfterThePull
    echo "$cell$(outcome "$results/vfat-after-pull.log" cardAfterThePull)"
    [ $code -le 1 ] && grep -q '^PASS   : VolumeBatchTest::cardAfterThePull()' "$results/vfat-after-pull.log"
}

check_volume() { # check_volume <volume> <folder>
    local volume=$1 folder=$2 ok=0 unit batch reserved full=- pull=-
    say "$volume: unit tests"
    run_unit_tests "$volume" "$folder" || ok=1
    unit=$(gtest_counts "$results/$volume-unit.log")
    say "$volume: unit tests ${unit%|*}, ${unit#*|} skipped"
    grep -h '^\[  SKIPPED \] ' "$results/$volume-unit.log" | grep -v 'test.*, listed below' >"$results/$volume-skipped.txt"

    say "$volume: batches through the window"
    mkdir -p "$folder/window"
    local log=$results/$volume-window.log
    QUARIMO_VOLUME_FOLDER=$folder/window window "$log" dateBatchKeepsEveryPhotograph \
        cameraReadyBatchKeepsEveryPhotograph reservedCharacterInTheUserText || ok=1
    batch="date $(outcome "$log" dateBatchKeepsEveryPhotograph), camera $(outcome "$log" cameraReadyBatchKeepsEveryPhotograph)"
    reserved=$(outcome "$log" reservedCharacterInTheUserText)

    if [ "$volume" = vfat ]; then
        say "vfat: a full card"
        mkdir -p "$folder/full"
        QUARIMO_VOLUME_FOLDER=$folder/full QUARIMO_VOLUME_FILL=1 window "$results/vfat-full.log" \
            fullCardReportsWhatKeptItsName || ok=1
        full=$(outcome "$results/vfat-full.log" fullCardReportsWhatKeptItsName)
        say "vfat: a card pulled mid-batch"
        pull=$(pull_card "$folder") || ok=1
    fi
    printf '%-6s | %-22s | %-7s | %s | %s | %s | %s\n' "$volume" "${unit%|*}" "${unit#*|}" "$batch" "$pull" "$full" \
        "$reserved" >>"$results/table.txt"
    return $ok
}
