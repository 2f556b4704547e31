"""python -m trelvo: start the application."""
from trelvo.application import run_app

run_app()
