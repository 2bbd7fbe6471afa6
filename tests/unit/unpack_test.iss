[Ambrel]
StartUtility=1
