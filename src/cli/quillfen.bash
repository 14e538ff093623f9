# bash completion for quillfen
_quillfen() {
  local cur prev words cword
  _init_completion || return

  local command="" i
  for ((i = 1; i < cword; i++)); do
    case ${words[i]} in
      scan | import | report | demo) command=${words[i]}; break ;;
    esac
  done

  case $prev in
    --rtp | --editor | --scratch | --wine-prefix)
      _filedir -d
      return ;;
    --html)
      _filedir html
      return ;;
    --encoding)
      COMPREPLY=($(compgen -W 'auto shift-jis gbk cp949 big5 cp874 cp1250 cp1251 cp1252 cp1253 cp1254 cp1255 cp1256 cp1257 cp1258' -- "$cur"))
      return ;;
  esac

  local options
  case $command in
    "")
      COMPREPLY=($(compgen -W 'scan import report demo --help --help-all --version' -- "$cur"))
      return ;;
    scan) options='--rtp --editor --wine-prefix --scratch --json --quiet --words --help --help-all' ;;
    import) options='--all --harmony --full-package --exact --with-run-time-names --encoding --rtp --editor --wine-prefix
                     --scratch --json --quiet --help --help-all' ;;
    report) options='--rtp --wine-prefix --encoding --json --html --help --help-all' ;;
    demo) options='--quiet --help --help-all' ;;
  esac
  if [[ $cur == -* ]]; then
    COMPREPLY=($(compgen -W "$options" -- "$cur"))
  else
    _filedir -d  # PROJECT and DIR are folders
  fi
} && complete -F _quillfen quillfen
