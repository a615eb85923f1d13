# fish completion for holdra
set -l commands add list show path rm clear restore lock unlock note check toggle

complete -c holdra -n "not __fish_seen_subcommand_from $commands" -a add -d 'Stash files and folders, or text with --text'
complete -c holdra -n "not __fish_seen_subcommand_from $commands" -a list -d 'The stash or the trash, newest first'
complete -c holdra -n "not __fish_seen_subcommand_from $commands" -a show -d 'One item in full'
complete -c holdra -n "not __fish_seen_subcommand_from $commands" -a path -d 'The stored copy of an item'
complete -c holdra -n "not __fish_seen_subcommand_from $commands" -a rm -d 'Move items to the trash'
complete -c holdra -n "not __fish_seen_subcommand_from $commands" -a clear -d 'Move every unlocked item to the trash'
complete -c holdra -n "not __fish_seen_subcommand_from $commands" -a restore -d 'Bring items back from the trash'
complete -c holdra -n "not __fish_seen_subcommand_from $commands" -a lock -d 'Keep items from being cleared'
complete -c holdra -n "not __fish_seen_subcommand_from $commands" -a unlock -d 'Let locked items go'
complete -c holdra -n "not __fish_seen_subcommand_from $commands" -a note -d "Set or remove an item's note"
complete -c holdra -n "not __fish_seen_subcommand_from $commands" -a check -d 'Report missing or changed copies'
complete -c holdra -n "not __fish_seen_subcommand_from $commands" -a toggle -d 'Open or close the panel of the running Holdra'
complete -c holdra -n "not __fish_seen_subcommand_from $commands" -l settings -d 'Open the settings window'
complete -c holdra -n "not __fish_seen_subcommand_from $commands" -s h -l help -d 'Print the usage'
complete -c holdra -n "not __fish_seen_subcommand_from $commands" -l version -d 'Print the version'

complete -c holdra -n '__fish_seen_subcommand_from add' -l text -d 'Stash text (- reads standard input)'
complete -c holdra -n '__fish_seen_subcommand_from list' -l trash -d 'The trash'
complete -c holdra -n '__fish_seen_subcommand_from list' -l search -x -d 'Only items whose name, note, text or link contain TEXT'
complete -c holdra -n '__fish_seen_subcommand_from list show check' -l json -d 'As JSON'
complete -c holdra -n '__fish_seen_subcommand_from restore' -l all -d 'Everything in the trash'
complete -c holdra -n '__fish_seen_subcommand_from rm lock unlock note path show restore clear toggle check' -f
