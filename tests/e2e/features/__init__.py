"""The end-to-end tests, one module per feature. Importing this package registers them all, in
this order."""

from . import (detect_string, dll, loading, several_viewers, teardown,  # noqa: F401
               host_subclass, file_names, commands, lifetime, picture, lister_keys,
               lister_calls, node_menu, appearance, exact_strings, status_path,
               strict_check, glance)
