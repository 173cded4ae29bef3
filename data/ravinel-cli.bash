# Bash completion of ravinel-cli: the global options, the commands, the list names, the
# reference and history subcommands and each command's options; file names elsewhere.
_ravinel_cli() {
  local cur prev cmd i
  COMPREPLY=()
  cur=${COMP_WORDS[COMP_CWORD]}
  prev=${COMP_WORDS[COMP_CWORD - 1]}
  local commands="dump create compress unused check change demo survey reference history undo report"
  local lists="ss dc pd bn0 bn1 bn2 bn3"
  case $prev in
    -C) COMPREPLY=($(compgen -d -- "$cur")); return ;;
    --lang) COMPREPLY=($(compgen -W "rus ukr" -- "$cur")); return ;;
    --projects|--blocks|--seed|--threshold|--text|--keep|--older-than) return ;;
    --csv|--html) COMPREPLY=($(compgen -f -- "$cur")); return ;;
  esac
  # The command is the first word after the global options.
  cmd=""
  local at=0
  for ((i = 1; i < COMP_CWORD; i++)); do
    case ${COMP_WORDS[i]} in
      -C|--lang) ((i++)) ;;
      -*) ;;
      *) cmd=${COMP_WORDS[i]}; at=$i; break ;;
    esac
  done
  if [ -z "$cmd" ]; then
    if [[ $cur == -* ]]; then
      COMPREPLY=($(compgen -W "-C --lang --json --help --version" -- "$cur"))
    else
      COMPREPLY=($(compgen -W "$commands" -- "$cur"))
    fi
    return
  fi
  local nth=$((COMP_CWORD - at)) # 1: the first argument of the command
  case $cmd in
    check|survey)
      [ $nth -eq 1 ] && COMPREPLY=($(compgen -W "$lists" -- "$cur")) ;;
    change)
      if [ $nth -eq 1 ]; then
        COMPREPLY=($(compgen -W "$lists" -- "$cur"))
      else
        COMPREPLY=($(compgen -W "--all --json" -- "$cur"))
      fi ;;
    reference)
      if [ $nth -eq 1 ]; then
        COMPREPLY=($(compgen -W "show learn install remove" -- "$cur"))
        COMPREPLY+=($(compgen -f -- "$cur"))
      elif [ "${COMP_WORDS[at + 1]}" != show ] && [ "${COMP_WORDS[at + 1]}" != remove ]; then
        COMPREPLY=($(compgen -f -- "$cur"))
      fi ;;
    dump)
      if [[ $cur == -* ]]; then COMPREPLY=($(compgen -W "--simple --json" -- "$cur"))
      else COMPREPLY=($(compgen -f -- "$cur")); fi ;;
    create)
      if [[ $cur == -* ]]; then COMPREPLY=($(compgen -W "--text --version-text --json" -- "$cur"))
      else COMPREPLY=($(compgen -f -- "$cur")); fi ;;
    compress)
      if [[ $cur == -* ]]; then COMPREPLY=($(compgen -W "--threshold --json" -- "$cur"))
      else COMPREPLY=($(compgen -f -- "$cur")); fi ;;
    unused)
      COMPREPLY=($(compgen -f -- "$cur")) ;;
    history)
      if [ $nth -eq 1 ]; then
        COMPREPLY=($(compgen -W "show prune --json" -- "$cur"))
      elif [ "${COMP_WORDS[at + 1]}" = prune ]; then
        COMPREPLY=($(compgen -W "--keep --older-than" -- "$cur"))
      fi ;;
    report)
      [ $nth -ge 2 ] && COMPREPLY=($(compgen -W "--csv --html" -- "$cur")) ;;
    undo)
      [[ $cur == -* ]] && COMPREPLY=($(compgen -W "--json" -- "$cur")) ;;
    demo)
      if [[ $cur == -* ]]; then COMPREPLY=($(compgen -W "--projects --blocks --seed" -- "$cur"))
      else COMPREPLY=($(compgen -d -- "$cur")); fi ;;
  esac
}
complete -o filenames -F _ravinel_cli ravinel-cli
