"""What the end-to-end tests are built on: the test registry, lister-host runs, the driver."""
