"""The tests by name, in the order their modules register them."""

SKIP = 77
TESTS = []


def test(name, needs_wine=True):
    """Registers the function as the test of that name; it takes the Env and fails by raising
    Failure, or returns SKIP."""
    def register(function):
        TESTS.append((name, function, needs_wine))
        return function
    return register


class Failure(Exception):
    pass
