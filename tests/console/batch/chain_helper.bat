@echo chain helper got %1 and %2
