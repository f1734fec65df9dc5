  ; The verbs, the Send To entry and the program's folder on PATH go, for
  ; every user and for the user uninstalling, however the installation
  ; chose (a folder not on a PATH is passed over).
  DeleteRegKey SHCTX "Software\Classes\*\shell\Quillseal.Encrypt"
  DeleteRegKey SHCTX "Software\Classes\Directory\shell\Quillseal.Encrypt"
  DeleteRegKey SHCTX "Software\Classes\Quillseal.Archive\shell\Quillseal.Decrypt"
  Delete "$SENDTO\Quillseal.lnk"
  StrCpy $ADD_TO_PATH_ALL_USERS "1"
  Push "$INSTDIR"
  Call un.RemoveFromPath
  StrCpy $ADD_TO_PATH_ALL_USERS "0"
  Push "$INSTDIR"
  Call un.RemoveFromPath
