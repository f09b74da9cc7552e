#!/usr/bin/env bash
# Takes PNG screenshots of the real program under xvfb, on a generated, realistic account, into
# docs/screenshots/ (or the folder given). One function per shot: add a `shot_NAME` function
# below and it is taken with the others. `take FILE WINDOW[:DETAIL]` starts brivel and saves
# WINDOW ("accounts", "preferences", "about", "account"); DETAIL is a view title of the account
# window ("Journal", "Trades", ...) or a tab of the preferences ("Strategies", "Indices").
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-docs/screenshots}")
scripts/setup.sh
preset=${BRIVEL_PRESET:-release}
scripts/build.sh "$preset" --target brivel brivel-generate-account >/dev/null
bin=build/$preset
mkdir -p "$out"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config
export BRIVEL_NO_RATING_PROMPT=1 LC_ALL=en_US.UTF-8 TZ=America/New_York
support="$XDG_DATA_HOME/Brivel Trade Journal"
# Two years of a swing trader's journal: 180 trades, 500 journal days.
"$bin/bench/brivel-generate-account" "$support/B0W1/database.brdb" 180 500 7
"$bin/bench/brivel-generate-account" "$support/K4P7/database.brdb" 12 30 11
mkdir -p "$XDG_CONFIG_HOME/Brivel Trade Journal"
cat >"$XDG_CONFIG_HOME/Brivel Trade Journal/preferences.json" <<'JSON'
{"arrayOfAccounts": [
  {"name": "Swing Trading", "directory": "B0W1", "open": true},
  {"name": "Retirement (IRA)", "directory": "K4P7", "open": false}
]}
JSON

take() {
    local file=$1 window=$2
    BRIVEL_SCREENSHOT=$window BRIVEL_SCREENSHOT_FILE="$out/$file.png" \
        xvfb-run -a -s "-screen 0 1400x900x24 -dpi 96" "$bin/src/gui/brivel"
    echo "$out/$file.png"
}

shot_accounts() { take accounts accounts; }
shot_preferences() { take preferences preferences:Strategies; }
shot_about() { take about about; }
shot_account_journal() { take account-journal account:Journal; }
shot_account_trades() { take account-trades account:Trades; }
shot_account_reports() { take account-reports account:Reports; }
shot_account_statistics() { take account-statistics account:Statistics; }

for shot in $(declare -F | awk '{print $3}' | grep '^shot_'); do
    "$shot"
done
